// Packages under process trouble: two processes using definitions of the
// same name at once. (A save failing at each of its file operations is in
// Package_test.cpp.)
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "model/Orvane.h"
#include "platform/RuntimeServices.h"
#include "support/TestSupport.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;
using orvane::testing::MessageRecorder;
using orvane::testing::ScratchDir;
using platform::RuntimeServices;

std::vector<std::string> Listing(const fs::path& dir) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

// A definition with three connections and a text resource.
std::shared_ptr<Orvane> Definition(const std::string& text) {
    auto rpt = std::make_shared<Orvane>();
    rpt->Name = "Mismo";
    for (int i = 0; i < 3; ++i) {
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

// The resource text of a package that loads cleanly with the written text of
// expected (both workers write the same), or "" when it does not.
std::string LoadedText(const std::string& pkg, const Orvane& expected) {
    Orvane back;
    if (!back.LoadXPDFile(pkg) || back.ToXML() != expected.ToXML() || !back.GetResdata("texto")) return "";
    return back.GetResdata("texto")->TextData;
}

// The two-process test forks: it uses a temporary folder of its
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

// Saves and loads its own package and a shared one, again and again; the
// exit status counts the failures.
int SameNameWorker(const fs::path& folder, int worker) {
    int failures = 0;
    const std::string own = (folder / ("own" + std::to_string(worker) + ".xpd")).string();
    const std::string shared = (folder / "shared.xpd").string();
    for (int i = 0; i < 25; ++i) {
        const std::string text = "worker " + std::to_string(worker) + " round " + std::to_string(i);
        auto def = Definition(text);
        if (!def->SaveXPDFile(own) || LoadedText(own, *def) != text) ++failures;
        if (!def->SaveXPDFile(shared) || LoadedText(shared, *def).rfind("worker ", 0) != 0) ++failures;
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
