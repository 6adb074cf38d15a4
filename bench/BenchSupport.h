// Timing and memory helpers shared by the benchmark programs.
#pragma once

#include <sys/resource.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace bench {

inline double Seconds(const std::function<void()>& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

struct Timing {
    double first = 0;  // the cold first run
    double warm = 0;   // the best of the repeats in the same process
};

// Runs f once cold and then `repeats` times, keeping the best warm time.
// reset, when given, runs untimed before every run: it undoes what f did, so
// that no run finds its work already done (an operation that returns at once
// when asked for what it already holds would otherwise time nothing).
inline Timing Measure(const std::function<void()>& f, int repeats = 5, const std::function<void()>& reset = {}) {
    const auto run = [&] {
        if (reset) reset();
        return Seconds(f);
    };
    Timing t;
    t.first = run();
    t.warm = t.first;
    for (int i = 0; i < repeats; ++i) t.warm = std::min(t.warm, run());
    return t;
}

// Peak resident memory in bytes of running f in a child process.
inline long PeakMemoryOf(const std::function<void()>& f) {
    const pid_t pid = fork();
    if (pid == 0) {
        f();
        _exit(0);
    }
    int status = 0;
    struct rusage ru {};
    wait4(pid, &status, 0, &ru);
    return ru.ru_maxrss * 1024L;
}

// The high-water mark of this process's resident memory, in bytes (VmHWM:
// after an exec it counts only what the new program touched).
inline long OwnPeakMemory() {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6)) * 1024L;
    return 0;
}

// Runs this program afresh with args; it prints its OwnPeakMemory() on
// standard output, which is returned.
inline long PeakMemoryOfRun(const std::string& args) {
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return 0;
    FILE* p = popen(("'" + std::string(self) + "' " + args).c_str(), "r");
    if (!p) return 0;
    long bytes = 0;
    if (std::fscanf(p, "%ld", &bytes) != 1) bytes = 0;
    pclose(p);
    return bytes;
}

inline std::string CpuModel() {
    std::ifstream in("/proc/cpuinfo");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("model name", 0) == 0) return line.substr(line.find(':') + 2);
    return "unknown cpu";
}

inline std::string MachineLine() {
    const std::string cpu = CpuModel();
    struct utsname u {};
    uname(&u);
    return cpu + ", " + std::to_string(sysconf(_SC_NPROCESSORS_ONLN)) + " cores, " + u.sysname + " " + u.release;
}

// The verdict is on the warm ratio, and on the first (cold) one too when
// judgeFirst is set. note, when given, ends the line (the CPU model, for
// figures copied elsewhere one by one).
inline void PrintRow(const char* what, const Timing& ours, const Timing& peer, double target, bool judgeFirst = false,
                     const std::string& note = "") {
    const bool met = ours.warm / peer.warm <= target && (!judgeFirst || ours.first / peer.first <= target);
    std::printf("%-34s ours %8.1f ms (first %8.1f)  peer %8.1f ms (first %8.1f)  ratio %.2f (first %.2f)  "
                "target <= %.2f%s  %s%s\n",
                what, ours.warm * 1e3, ours.first * 1e3, peer.warm * 1e3, peer.first * 1e3, ours.warm / peer.warm,
                ours.first / peer.first, target, judgeFirst ? " both" : "", met ? "met" : "NOT MET",
                note.empty() ? "" : ("  [" + note + "]").c_str());
}

}  // namespace bench
