// Shared pieces of the fuzz targets: a quiet message sink (a parse error
// would otherwise be written to standard error on every run), a check that
// stops the run with a readable reason, and the input as text.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <orvanespt/platform/Messages.h>

namespace orvane::fuzz {

// Takes every message and answers as a user pressing the first button would.
class QuietMessages : public platform::MessageSink {
public:
    platform::MsgAnswer Show(const std::string&, platform::MsgButtons, platform::MsgIcon, const std::string&) override {
        return platform::MsgAnswer::Ok;
    }
};

inline void InstallQuietMessages() {
    static const bool installed = [] {
        platform::SetMessageSink(std::make_shared<QuietMessages>());
        return true;
    }();
    (void)installed;
}

// A property of the code under test that the input broke: the run stops and
// libFuzzer keeps the input as a finding.
[[noreturn]] inline void Fail(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    if (!detail.empty()) std::fprintf(stderr, "%.2000s\n", detail.c_str());
    std::abort();
}

inline void Check(bool ok, const char* what, const std::string& detail = {}) {
    if (!ok) Fail(what, detail);
}

// A file under /tmp for the targets that read files, made on first use and
// removed when the process ends normally.
class ScratchFile {
public:
    explicit ScratchFile(const std::string& stem) : path_("/tmp/orvane-fuzz-" + stem + "-XXXXXX") {
        const int fd = mkstemp(path_.data());
        if (fd < 0) Fail("cannot make a scratch file");
        close(fd);
    }
    ~ScratchFile() { std::remove(path_.c_str()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& Path() const { return path_; }
    // Replaces the file's content with the bytes given.
    void Write(const std::uint8_t* data, std::size_t size) const {
        std::FILE* f = std::fopen(path_.c_str(), "wb");
        if (!f) Fail("cannot write the scratch file");
        const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
        if (std::fclose(f) != 0 || !ok) Fail("cannot write the scratch file");
    }

private:
    std::string path_;
};

inline std::string AsText(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

}  // namespace orvane::fuzz
