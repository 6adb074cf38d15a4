#include <orvanespt/platform/RuntimeServices.h>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <orvanespt/platform/FileOps.h>
#include "support/TestSupport.h"

namespace orvane::platform {
namespace {

using orvane::testing::ReadFile;
using orvane::testing::ScratchDir;
using orvane::testing::WriteFile;

TEST(RuntimeServices, HasTempFolderAndPathLineAndDataLinkHelpers) {
    // Its temporary folder ends with a separator and can be overridden.
    auto& rs = RuntimeServices::Instance();
    std::string system = rs.TempFolder();
    ASSERT_FALSE(system.empty());
    EXPECT_EQ(system.back(), '/');
    EXPECT_TRUE(std::filesystem::is_directory(system));
    rs.SetTempFolder("/some/where");
    EXPECT_EQ(rs.TempFolder(), "/some/where/");
    rs.SetTempFolder("");
    EXPECT_EQ(rs.TempFolder(), system);
    EXPECT_EQ(rs.HelpFolder().back(), '/');

    // Separators, file names, relative names and line breaks.
    EXPECT_EQ(RuntimeServices::EndWithSeparator("/tmp"), "/tmp/");
    EXPECT_EQ(RuntimeServices::EndWithSeparator("/tmp//"), "/tmp/");
    EXPECT_EQ(RuntimeServices::EndWithSeparator(""), "");
    EXPECT_EQ(RuntimeServices::FileNameOf("/a/b/report.xpd"), "report.xpd");
    EXPECT_EQ(RuntimeServices::FileNameOf("report.xpd"), "report.xpd");
    const std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(ResolvePath("pic.bmp"), cwd + "/pic.bmp");
    EXPECT_EQ(ResolvePath("/a/./b/../c.txt"), "/a/c.txt");
    EXPECT_EQ(ResolvePath(""), "");
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n"), (V{"a"}));
    EXPECT_EQ(SplitLines("a\r\n\r\nb"), (V{"a", "", "b"}));
    EXPECT_EQ(SplitLines("\r\r\n"), (V{"", ""}));
    EXPECT_EQ(SplitLines(""), V{});

    // Data-link texts: UTF-8 is kept and a Latin-1 byte at the end read as
    // Latin-1; in UTF-16, a character outside the basic plane comes as a
    // surrogate pair, a lone surrogate becomes the replacement character and
    // trailing NULs are dropped.
    EXPECT_EQ(RuntimeServices::ConvertDataLinkText("Data Source=ñ"), "Data Source=ñ");
    EXPECT_EQ(RuntimeServices::ConvertDataLinkText("Data Source=\xF1"), "Data Source=ñ");
    EXPECT_EQ(RuntimeServices::ConvertDataLinkText(std::string("\xFF\xFE\xFF\xDB\xFF\xDF", 6)), "\xF4\x8F\xBF\xBF");
    EXPECT_EQ(RuntimeServices::ConvertDataLinkText(std::string("\xFF\xFE\x00\xDC", 4)), "\xEF\xBF\xBD");
    EXPECT_EQ(RuntimeServices::ConvertDataLinkText(std::string("\xFF\xFE\x61\0\0\0", 6)), "a");
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

// A write replaces the whole file, leaves no temporary behind and keeps the
// old file's permissions and links and its writers' live temporaries; a new
// file follows the umask; missing files are reported.
TEST(RuntimeServices, WritesReplaceWholeFilesKeepingPermissionsAndLinks) {
    ScratchDir dir;
    const std::string f = dir.file("a.txt");
    ASSERT_TRUE(RuntimeServices::WriteTextFile(f, "first, longer content"));
    ASSERT_TRUE(RuntimeServices::WriteTextFile(f, "old"));
    EXPECT_EQ(ReadFile(f), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    ::chmod(f.c_str(), 0640);
    ASSERT_TRUE(WriteFileAtomically(f, "new"));
    EXPECT_EQ(ReadFile(f), "new");
    EXPECT_EQ(ModeOf(f), 0640u);

    const std::string link = dir.file("link.txt");
    std::filesystem::create_symlink(f, link);
    ASSERT_TRUE(WriteFileAtomically(link, "through the link"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFile(f), "through the link");

    const mode_t old = ::umask(027);
    const bool made = WriteFileAtomically(dir.file("fresh.txt"), "x");
    ::umask(old);
    ASSERT_TRUE(made);
    EXPECT_EQ(ModeOf(dir.file("fresh.txt")), 0640u);
    EXPECT_FALSE(WriteFileAtomically(dir.path().string(), "a folder is not replaced"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.path()));

    EXPECT_FALSE(RuntimeServices::WriteTextFile(dir.file("no/such/folder/x.txt"), "x"));
    EXPECT_FALSE(RuntimeServices::WriteTextFile("", "x"));
    EXPECT_FALSE(RuntimeServices::FileExists(dir.file("missing")));
    EXPECT_FALSE(RuntimeServices::FileExists(dir.path().string()));  // a folder is not a file
    EXPECT_FALSE(RuntimeServices::ReadTextFile(dir.file("missing")).has_value());

    // The outcomes name the failed step (a private file's folders are made
    // 0700, which the connection manager's test sees).
    std::string bytes = "left over";
    EXPECT_EQ(ReadWholeFile(dir.path().string(), bytes).step, FileStep::NotAFile);
    EXPECT_EQ(bytes, "");
    EXPECT_EQ(ReadWholeFile(dir.file("missing"), bytes).step, FileStep::Open);
    EXPECT_EQ(SaveWholeFile(dir.file("a.txt/under/a/file"), "x", FileMode::Private).step, FileStep::Folder);

    // Temporaries of dead writers are removed, live ones kept.
    const std::string dead = dir.file(".a.txt.tmp.Dead01");
    const std::string live = dir.file(".a.txt.tmp.Live01");
    const std::string other = dir.file(".b.txt.tmp.Dead02");
    for (const auto& p : {dead, live, other}) WriteFile(p, "half written");
    const int fd = ::open(live.c_str(), O_RDONLY);  // a writer still at work holds its lock
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    ASSERT_TRUE(WriteFileAtomically(f, "whole"));
    ::close(fd);
    EXPECT_FALSE(std::filesystem::exists(dead));
    EXPECT_TRUE(std::filesystem::exists(live));
    EXPECT_TRUE(std::filesystem::exists(other));  // another file's temporary
    EXPECT_EQ(ReadFile(f), "whole");
}

}  // namespace
}  // namespace orvane::platform
