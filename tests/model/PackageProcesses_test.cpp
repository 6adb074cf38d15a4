// Packages under process trouble: a saving process killed at random moments
// over a good package, and two processes using definitions of the same name
// at once.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "model/Orvane.h"
#include "platform/RuntimeServices.h"
#include "support/TestSupport.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using orvane::testing::MessageRecorder;
using orvane::testing::ReadFile;
using orvane::testing::ScratchDir;
using orvane::testing::WriteFile;
using platform::RuntimeServices;

// Enough runs to land kills all over a save, few enough to stay quick.
constexpr int kMinKillRuns = 10;
constexpr int kMaxKillRuns = 60;
constexpr auto kKillBudget = std::chrono::seconds(3);

std::vector<std::string> Listing(const fs::path& dir) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

// A definition whose package takes a while to write: many connections and a
// large text that deflate cannot shrink much.
std::shared_ptr<Orvane> Definition(const std::string& name, const std::string& text, int connections) {
    auto rpt = std::make_shared<Orvane>();
    rpt->Name = name;
    for (int i = 0; i < connections; ++i) {
        auto cnn = std::make_shared<eConnection>();
        cnn->Name = "cnn" + std::to_string(i);
        cnn->cnnString = "Provider=SQLite;Data Source=/srv/db" + std::to_string(i) + ".db";
        rpt->AddConnection(cnn);
    }
    auto res = rpt->NewResData("texto");
    res->TextData = text;
    res->ResType = rtText;
    return rpt;
}

std::string NoisyText(std::size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    std::string text(size, ' ');
    for (char& c : text) c = static_cast<char>('a' + rng() % 26);
    return text;
}

// True when the package loads cleanly and holds exactly that definition.
bool HoldsDefinition(const std::string& pkg, const Orvane& expected) {
    Orvane back;
    if (!back.LoadXPDFile(pkg) || back.ToXML() != expected.ToXML()) return false;
    auto res = back.GetResdata("texto");
    return res && res->TextData == expected.GetResdata("texto")->TextData;
}

// The kill and two-process tests fork: each uses a temporary folder of its
// own, which must stay empty.
class PackageProcesses : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(temp_);
        fs::create_directories(pkgs_);
        RuntimeServices::Instance().SetTempFolder(temp_.string());
    }
    void TearDown() override {
        EXPECT_TRUE(Listing(temp_).empty()) << "left in the temporary folder";
        RuntimeServices::Instance().SetTempFolder("");
    }
    ScratchDir root_;
    fs::path temp_ = root_.path() / "tmp";
    fs::path pkgs_ = root_.path() / "pkgs";
};

TEST_F(PackageProcesses, AKilledSaveLeavesTheOldPackageOrTheNewOne) {
    MessageRecorder messages;
    const std::string pkg = (pkgs_ / "informe.xpd").string();
    auto oldDef = Definition("Viejo", "contenido anterior", 2);
    auto newDef = Definition("Nuevo", NoisyText(3 << 20, 11), 300);
    ASSERT_TRUE(oldDef->SaveXPDFile(pkg));
    fs::permissions(pkg, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const std::string oldBytes = ReadFile(pkg);

    // How long a whole saving child takes here, so the kills spread over all
    // of its life, before, during and after the rename.
    auto saveTime = std::chrono::microseconds(0);
    for (int i = 0; i < 2; ++i) {
        const auto start = Clock::now();
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) _exit(newDef->SaveXPDFile(pkg) ? 0 : 1);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        saveTime = std::max(saveTime, std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start));
        WriteFile(pkg, oldBytes);
    }

    std::mt19937 rng(std::random_device{}());
    // Every other kill lands in the last part of a save, where the file is
    // written and renamed; the others anywhere.
    const long whole = saveTime.count();
    std::uniform_int_distribution<long> anywhere(0, whole * 6 / 5), late(whole / 2, whole * 11 / 10);
    int runs = 0, keptOld = 0, gotNew = 0, leftTemporary = 0;
    const auto deadline = Clock::now() + kKillBudget;
    while (runs < kMaxKillRuns && (runs < kMinKillRuns || Clock::now() < deadline)) {
        ++runs;
        WriteFile(pkg, oldBytes);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) _exit(newDef->SaveXPDFile(pkg) ? 0 : 1);
        std::this_thread::sleep_for(std::chrono::microseconds(runs % 2 ? anywhere(rng) : late(rng)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);

        if (HoldsDefinition(pkg, *oldDef)) {
            ++keptOld;
        } else {
            ASSERT_TRUE(HoldsDefinition(pkg, *newDef)) << "run " << runs << ": neither the old package nor the new";
            ++gotNew;
        }
        EXPECT_EQ(fs::status(pkg).permissions() & fs::perms::all,
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
        for (const auto& name : Listing(pkgs_)) {
            ASSERT_TRUE(name == "informe.xpd" || name.rfind(".informe.xpd.tmp.", 0) == 0) << name;
            leftTemporary += name != "informe.xpd";
        }
    }
    std::cout << "[          ] " << runs << " kills: " << keptOld << " kept the old package, " << gotNew
              << " found the new one, " << leftTemporary << " temporaries seen\n";

    // Whatever the killed saves left behind, the next save clears it away.
    ASSERT_TRUE(oldDef->SaveXPDFile(pkg));
    EXPECT_TRUE(HoldsDefinition(pkg, *oldDef));
    EXPECT_EQ(Listing(pkgs_), std::vector<std::string>{"informe.xpd"});
    EXPECT_TRUE(messages->Taken().empty());
}

// Saves and loads its own package and a shared one, again and again; the
// exit status counts the failures.
int SameNameWorker(const fs::path& folder, int worker) {
    int failures = 0;
    const std::string own = (folder / ("own" + std::to_string(worker) + ".xpd")).string();
    const std::string shared = (folder / "shared.xpd").string();
    for (int i = 0; i < 25; ++i) {
        auto def = Definition("Mismo", "worker " + std::to_string(worker) + " round " + std::to_string(i), 3);
        if (!def->SaveXPDFile(own) || !HoldsDefinition(own, *def)) ++failures;
        if (!def->SaveXPDFile(shared)) ++failures;
        Orvane back;
        if (!back.LoadXPDFile(shared) || back.Name != "Mismo" || !back.GetResdata("texto") ||
            back.GetResdata("texto")->TextData.rfind("worker ", 0) != 0)
            ++failures;
    }
    return failures;
}

TEST_F(PackageProcesses, TwoProcessesUsingTheSameReportNameBothSucceed) {
    MessageRecorder messages;
    std::vector<pid_t> children;
    for (int worker = 0; worker < 2; ++worker) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) _exit(std::min(SameNameWorker(pkgs_, worker), 100));
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "failed saves or loads in one process";
    }
    EXPECT_EQ(Listing(pkgs_), (std::vector<std::string>{"own0.xpd", "own1.xpd", "shared.xpd"}));
    EXPECT_TRUE(messages->Taken().empty());
}

}  // namespace
}  // namespace orvane
