#include <orvanespt/platform/Zip.h>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zip.h>

#include <filesystem>

#include "support/HostileInput.h"
#include "support/TestSupport.h"

namespace orvane::platform::zip {
namespace {

using orvane::testing::ReadFile;
using orvane::testing::ScratchDir;
using orvane::testing::WriteFile;

using orvane::testing::MakeRawZip;
using orvane::testing::RawEntry;
using orvane::testing::SetDeclaredSize;

std::vector<std::string> Names(const ReadResult& r) {
    std::vector<std::string> out;
    for (const auto& e : r.entries) out.push_back(e.name);
    return out;
}

using V = std::vector<std::string>;

// Entries written come back unchanged; an update replaces same names ignoring
// case and keeps the others; a failed write leaves a foreign file as it was.
TEST(Zip, WritesReadsUpdatesAndRefusesHostileDamagedOrOversizedArchivesWithoutHarm) {
    ScratchDir dir;
    const std::string path = dir.file("a.zip");
    std::string big(300000, 'x');
    for (std::size_t i = 0; i < big.size(); i += 7) big[i] = static_cast<char>(i);
    ASSERT_TRUE(WriteArchive(path, {{"one.txt", "uno"}, {"big.img", big}, {"empty.txt", ""}}));
    ReadResult r = ReadArchive(path);
    EXPECT_TRUE(r.opened);
    EXPECT_EQ(r.error, "");
    ASSERT_EQ(Names(r), (V{"one.txt", "big.img", "empty.txt"}));
    EXPECT_EQ(r.entries[0].data, "uno");
    EXPECT_EQ(r.entries[1].data, big);
    EXPECT_EQ(r.entries[2].data, "");
    EXPECT_LT(std::filesystem::file_size(path), big.size());  // compressed

    ASSERT_TRUE(WriteArchive(path, {{"ONE.TXT", "new"}, {"added.txt", "+"}}));
    r = ReadArchive(path);
    ASSERT_EQ(Names(r), (V{"ONE.TXT", "big.img", "empty.txt", "added.txt"}));
    EXPECT_EQ(r.entries[0].data, "new");
    EXPECT_EQ(r.entries[1].data, big);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);  // no temporary left

    const std::string text = dir.file("not-a-zip.xpd");
    WriteFile(text, "this is not an archive");
    std::string error;
    EXPECT_FALSE(WriteArchive(text, {{"a.txt", "a"}}, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadFile(text), "this is not an archive");
    EXPECT_FALSE(WriteArchive(dir.file("no/such/dir/x.zip"), {{"a.txt", "a"}}));

    EXPECT_FALSE(ReadArchive(dir.file("missing.zip")).opened);

    MakeRawZip(path, {{"", "0"},
                      {"../x", "1"},
                      {"/abs", "2"},
                      {"C:x", "3"},
                      {"a\\b", "4"},
                      {"a/..", "6"},
                      {"...", "fine"},
                      {"link.txt", "/etc/passwd", 0120777},
                      {"folder/", "", 040755},
                      {"Dup.txt", "first"},
                      {"dup.TXT", "second"},
                      {"sub/inner.txt", "inner"}});
    r = ReadArchive(path);
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(Names(r), (V{"...", "Dup.txt", "sub/inner.txt"}));
    EXPECT_EQ(r.entries[1].data, "first");
    EXPECT_EQ(r.refused, (V{"", "../x", "/abs", "C:x", "a\\b", "a/..", "link.txt", "dup.TXT"}));

    MakeRawZip(path, {{"good.txt", "good"}, {"bad.txt", std::string(1000, 'b')}});
    std::string bytes = ReadFile(path);
    // Flip a byte of bad.txt's compressed data (it follows its local header).
    auto at = bytes.find("bad.txt");
    bytes[at + 7 + 3] ^= 0x55;
    WriteFile(path, bytes);
    r = ReadArchive(path);
    EXPECT_EQ(Names(r), V{"good.txt"});
    EXPECT_NE(r.error, "");

    const Limits limits{kMaxEntries, 1 << 20, 600 << 10};
    struct Case {
        std::string bomb, after;
        std::uint32_t lie;  // 0: the sizes are told as they are
        std::string error;
    };
    for (const Case& c :
         {Case{std::string(700 << 10, 'b'), "", 0,
               "la entrada bomb.txt declara 716800 bytes, más de los 614400 que puede tener una entrada"},
          Case{std::string(560 << 10, 'b'), std::string(560 << 10, 'a'), 0,
               "las entradas declaran más de 1048576 bytes en total"},
          Case{std::string(4 << 20, 'b'), "", 4,
               "la entrada bomb.txt se descomprime en más de los 4 bytes que declara"}}) {
        SCOPED_TRACE(c.error);
        MakeRawZip(path, {{"small.txt", "tiny"}, {"bomb.txt", c.bomb}, {"after.txt", c.after}});
        if (c.lie) SetDeclaredSize(path, "bomb.txt", c.lie);
        r = ReadArchive(path, limits);
        EXPECT_EQ(r.error, c.error);
        EXPECT_TRUE(r.entries.empty());
    }
    MakeRawZip(path, {{"a", "1"}, {"b", "2"}, {"c", "3"}});
    EXPECT_EQ(ReadArchive(path, Limits{2}).error, "el archivo tiene más de 2 entradas");
    EXPECT_EQ(ReadArchive(path, Limits{3}).entries.size(), 3u);
    // A file larger than any archive within the limits is refused unread.
    std::filesystem::resize_file(path, 4 * 1024 + 11);
    r = ReadArchive(path, Limits{4, 10, 10});
    EXPECT_TRUE(r.refusedWhole);
    EXPECT_EQ(r.error, path + ": mide más de 4106 bytes");
}

}  // namespace
}  // namespace orvane::platform::zip
