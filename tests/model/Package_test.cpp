#include <gtest/gtest.h>

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>

#include <orvanespt/model/Orvane.h>
#include <orvanespt/platform/ConnectionManager.h>
#include <orvanespt/platform/FileOps.h>
#include <orvanespt/platform/RuntimeServices.h>
#include <orvanespt/platform/Zip.h>
#include "support/HostileInput.h"
#include "support/TestSupport.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;
using orvane::testing::MessageRecorder;
using orvane::testing::ReadFile;
using orvane::testing::ScratchDir;
using orvane::testing::WriteFile;
using platform::RuntimeServices;
using V = std::vector<std::string>;

const std::string kDecl = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

std::string Le16(std::uint32_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}
std::string Le32(std::uint32_t v) {
    return Le16(v & 0xFFFF) + Le16(v >> 16);
}

// A 1x1 24-bit bitmap whose pixel is the given colour.
std::string Bmp(std::uint32_t rgb) {
    std::string info = Le32(40) + Le32(1) + Le32(1) + Le16(1) + Le16(24) + Le32(0) + Le32(4) + std::string(16, '\0');
    return "BM" + Le32(58) + Le32(0) + Le32(54) + info + Le32(rgb);
}

using orvane::testing::MakeRawZip;
using orvane::testing::RawEntry;

using Pairs = std::vector<std::pair<std::string, std::string>>;

// Entry names and contents in archive order.
Pairs Entries(const std::string& path) {
    Pairs out;
    for (const auto& e : platform::zip::ReadArchive(path).entries) out.emplace_back(e.name, e.data);
    return out;
}

std::vector<fs::path> Listing(const fs::path& dir) {
    std::vector<fs::path> out;
    for (const auto& e : fs::recursive_directory_iterator(dir)) out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

// Every test saves and loads with the temporary folder pointed at a scratch
// folder of its own, so anything left behind shows.
class PackageTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(temp_);
        fs::create_directories(files_);
        RuntimeServices::Instance().SetTempFolder(temp_.string());
    }
    void TearDown() override {
        EXPECT_TRUE(Listing(temp_).empty()) << "left in the temporary folder";
        RuntimeServices::Instance().SetTempFolder("");
    }

    std::shared_ptr<Orvane> ReportWithLogoAndPie() {
        auto rpt = std::make_shared<Orvane>();
        rpt->Name = "Ventas";
        rpt->Code = "Sub Main()\r\nEnd Sub";
        auto logo = rpt->NewResData("logo");
        logo->PicData = Picture::FromBytes(Bmp(0x102030));
        logo->ResType = rtPicture;
        auto pie = rpt->NewResData("pie");
        pie->TextData = "Página 1\r\nfin";
        pie->ResType = rtText;
        return rpt;
    }

    std::string File(const std::string& name) const { return (files_ / name).string(); }

    // Packages go in root/pkgs, the temporary folder is root/tmp.
    ScratchDir root_;
    fs::path temp_ = root_.path() / "tmp";
    fs::path files_ = root_.path() / "pkgs";
};

// Without a usable source, or from a file that is no zip archive, loading
// fails quietly; a truncated package or one past the limits shows the unzip
// message. Either way the held definition stays.
TEST_F(PackageTest, FailedLoadsKeepTheHeldDefinition) {
    MessageRecorder messages;
    // A definition that holds something of everything a failed load must keep.
    auto held = testing::ReportOn("Provider=SQLite;Data Source=/a.db").rpt;
    Orvane& rpt = *held;
    rpt.Name = "Antes";
    rpt.NewResData("mine")->TextData = "kept";
    const std::string heldXml = rpt.ToXML();
    const std::string asLink = File("link.xpd");
    MakeRawZip(asLink, {{"source.xml", "/etc/passwd", 0120777}});
    EXPECT_EQ(rpt.ReadXPDFile(asLink).refused.at(0).name, "source.xml");
    EXPECT_FALSE(rpt.LoadXPDFile(File("missing.xpd")));
    for (const std::string& notZip : {std::string("<Orvane />"), std::string("PK"), std::string()}) {
        WriteFile(File("texto.xpd"), notZip);
        EXPECT_FALSE(rpt.LoadXPDFile(File("texto.xpd"))) << notZip;
        EXPECT_EQ(rpt.ReadXPDFile(File("texto.xpd")).status, ReadStatus::NotAPackage) << notZip;
    }
    EXPECT_TRUE(messages->Taken().empty());

    const std::string pkg = File("ventas.xpd");
    ASSERT_TRUE(ReportWithLogoAndPie()->SaveXPDFile(pkg));
    const std::string bytes = ReadFile(pkg);
    WriteFile(pkg, bytes.substr(0, bytes.size() - 30));

    // More entries than any package holds, each tiny: a bomb of entries.
    const std::string many = File("many.xpd");
    Orvane src;
    std::vector<RawEntry> entries{{"source.xml", src.ToXML()}};
    for (std::size_t i = 0; i < platform::zip::kMaxEntries; ++i) entries.push_back({"e" + std::to_string(i), "x"});
    MakeRawZip(many, entries);
    // A resource declaring 1.5 GB: refused before inflating.
    const std::string bomb = File("bomb.xpd");
    MakeRawZip(bomb, {{"source.xml", src.ToXML()}, {"pie.txt", std::string(1 << 20, 'x')}});
    orvane::testing::SetDeclaredSize(bomb, "pie.txt", 1'500'000'000u);
    const auto before = Listing(root_.path());
    for (const std::string& bad : {pkg, many, bomb}) EXPECT_FALSE(rpt.LoadXPDFile(bad)) << bad;
    EXPECT_EQ(rpt.ToXML(), heldXml);
    ASSERT_EQ(rpt.ResDataCollection->Count(), 1);
    EXPECT_EQ(rpt.GetResdata("mine")->TextData, "kept");
    EXPECT_EQ(Listing(root_.path()), before);
    auto taken = messages->Taken();
    ASSERT_EQ(taken.size(), 3u);
    for (const auto& m : taken) {
        EXPECT_EQ(m.text.rfind("Unzip: ", 0), 0u) << m.text;
        EXPECT_GT(m.text.size(), 7u);
        EXPECT_EQ(m.icon, platform::MsgIcon::Exclamation);
    }
    // The bombs are told as what they are, not as a package without source.xml.
    for (const std::string& bad : {many, bomb}) EXPECT_EQ(rpt.ReadXPDFile(bad).status, ReadStatus::Refused) << bad;
}

TEST_F(PackageTest, HostileEntriesChangeNothingOutside) {
    Orvane src;
    src.Name = "Primero";
    Orvane second;
    second.Name = "Segundo";
    const std::string index = kDecl +
                              "<eResDataCol Count=\"2\" ><eResData Name=\"../evil\" Type=\"2\" />"
                              "<eResData Name=\"ok\" Type=\"2\" /></eResDataCol>";
    const std::string pkg = File("hostile.xpd");
    MakeRawZip(pkg, {{"source.xml", src.ToXML()},
                     {"SOURCE.XML", second.ToXML()},
                     {"resdata.xml", index},
                     {"../evil.txt", "evil"},
                     {"ok.txt", "/etc/passwd", 0120777},
                     {"OK.TXT", "fine"}});
    const auto before = Listing(root_.path());

    MessageRecorder messages;
    Orvane loaded;
    ASSERT_TRUE(loaded.LoadXPDFile(pkg));
    EXPECT_EQ(loaded.Name, "Primero");
    ASSERT_EQ(loaded.ResDataCollection->Count(), 2);
    EXPECT_EQ(loaded.GetResdata("../evil")->TextData, "");
    EXPECT_EQ(loaded.GetResdata("ok")->TextData, "fine");  // the link was refused, its case twin taken
    EXPECT_EQ(Listing(root_.path()), before);
    EXPECT_TRUE(messages->Taken().empty());
}

// Odd names never become paths: a resource's gets no entry, a report's is
// only text. Of names differing only in case the first resource is written.
TEST_F(PackageTest, ResourcesNamedUnlikeFilesAreSkippedWithAMessageAndTheRestSaved) {
    const std::string pkg = File("skip.xpd");
    for (const std::string bad : {"", ".", "..", "../x", "a/b", "a\\b", "C:x", "/etc"}) {
        SCOPED_TRACE(bad);
        MessageRecorder messages;
        Orvane rpt;
        rpt.Name = bad;
        rpt.NewResData(bad)->TextData = "x";
        rpt.NewResData("a&b é")->TextData = "sin tipo";  // untyped: travels as text
        rpt.ResDataCollection->Add(std::make_shared<eResData>());
        rpt.ResDataCollection->Item(3)->Name = "A&B É";
        ASSERT_TRUE(rpt.SaveXPDFile(pkg));
        EXPECT_EQ(Entries(pkg),
                  (Pairs{{"source.xml", rpt.ToXML()},
                         {"resdata.xml", kDecl + "<eResDataCol Count=\"3\" ><eResData Name=\"" + bad +
                                             "\" Type=\"0\" /><eResData Name=\"a&amp;b &#233;\" "
                                             "Type=\"0\" /><eResData Name=\"A&amp;B &#201;\" Type=\"0\" />"
                                             "</eResDataCol>"},
                         {"a&b é.txt", "sin tipo"}}));
        auto taken = messages->Taken();
        ASSERT_EQ(taken.size(), 1u);
        EXPECT_EQ(taken[0].text,
                  "No se guardó el recurso \"" + bad + "\": su nombre no es un nombre de archivo válido.");
        EXPECT_EQ(taken[0].icon, platform::MsgIcon::Exclamation);
        fs::remove(pkg);
    }
}

// File operations whose failAt-th one, of any kind, fails as a full disk
// would; the kind of the failed one is kept.
struct FailingFiles : platform::FileOps {
    int calls = 0, failAt = 0;
    std::string failed;
    bool Fails(const char* kind) {
        if (++calls != failAt) return false;
        failed = kind;
        errno = ENOSPC;
        return true;
    }
    ssize_t Write(int fd, const void* data, std::size_t size) override {
        return Fails("write") ? -1 : FileOps::Write(fd, data, size);
    }
    int Flush(int fd) override { return Fails("flush") ? -1 : FileOps::Flush(fd); }
    int SyncFolder(int fd) override { return Fails("folder") ? -1 : FileOps::SyncFolder(fd); }
    int Rename(const char* from, const char* to) override { return Fails("rename") ? -1 : FileOps::Rename(from, to); }
    int Remove(const char* path) override { return Fails("remove") ? -1 : FileOps::Remove(path); }
    int Open(const char* path, int flags, mode_t mode) override {
        return Fails(flags & O_CREAT ? "create" : "open") ? -1 : FileOps::Open(path, flags, mode);
    }
    ssize_t Read(int fd, void* data, std::size_t size) override {
        return Fails("read") ? -1 : FileOps::Read(fd, data, size);
    }
};

// A save under test: first makes the file hold its first state, change
// changes what is in memory, save saves it ("" when saved, else the
// message), state tells what is in memory.
struct SaveCase {
    std::string name;
    std::function<void(const std::string& file)> first;
    std::function<void()> change;
    std::function<std::string(const std::string& file)> save;
    std::function<std::string()> state;
};

// Each file operation of a save failed in turn, for every kind of save: the
// message names the file, the step and the reason; nothing is left beside the
// file, which is the old one (the new one when only the folder's flush
// failed); what is in memory is as it was.
TEST_F(PackageTest, EachFailingFileStepOfASaveKeepsTheOldFileAndNamesTheStep) {
    auto rpt = ReportWithLogoAndPie();
    std::shared_ptr<platform::ConnectionManager> manager;
    auto definition = [&] { return rpt->ToXML() + rpt->InitialSign; };
    auto rename = [&] { rpt->Name = "Nuevo"; };
    const std::map<std::string, std::string> stepWords = {
        {"open", "abrir el archivo"},
        {"create", "crear el archivo temporal"},
        {"read", "leer el archivo"},
        {"write", "escribir el archivo temporal"},
        {"flush", "volcar al disco el archivo temporal"},
        {"rename", "poner el archivo temporal en su lugar"},
        {"folder", "volcar al disco la carpeta (el archivo nuevo ya está en su lugar)"}};
    const SaveCase cases[] = {
        {"xml", [&](const std::string& f) { rpt->Name = "Ventas"; ASSERT_TRUE(rpt->WriteXMLFile(f).ok()); }, rename,
         [&](const std::string& f) { return rpt->WriteXMLFile(f).file.Message(); }, definition},
        {"xpd", [&](const std::string& f) { rpt->Name = "Ventas"; ASSERT_TRUE(rpt->WriteXPDFile(f).ok()); }, rename,
         [&](const std::string& f) { return rpt->WriteXPDFile(f).file.Message(); }, definition},
        {"manager",
         [&](const std::string& f) {
             fs::remove(f);
             manager = platform::ConnectionManager::LoadOrNew(f);
             ASSERT_TRUE(manager && manager->SetApplication({"Ventas", "Provider=SQLite;Data Source=v.db", "", "", {}}));
             ASSERT_TRUE(manager->Save());
         },
         [&] { EXPECT_TRUE(manager->SetApplication({"Nuevo", "DSN=nuevo", "ana", "secreta", {}})); },
         [&](const std::string&) {
             std::string error;
             return manager->Save(&error) ? std::string() : error;
         },
         [&] { return platform::FormatApplications(manager->ApplicationsCollection()); }},
    };
    for (const SaveCase& c : cases) {
        const std::string file = File("guardado." + c.name);
        FailingFiles files;
        int n = 1;
        for (;; ++n) {
            SCOPED_TRACE(c.name + " " + std::to_string(n));
            c.first(file);
            const std::string old = ReadFile(file);
            c.change();
            const std::string before = c.state();
            files = FailingFiles{};
            files.failAt = n;
            platform::SetFileOps(&files);
            const std::string message = c.save(file);
            platform::SetFileOps(nullptr);
            if (files.failed.empty()) {  // past the last operation: saved
                EXPECT_EQ(message, "");
                EXPECT_NE(ReadFile(file), old);
                break;
            }
            ASSERT_LT(n, 100) << "a save that never ends";
            EXPECT_EQ(message, file + ": no se pudo " + stepWords.at(files.failed) + ": " + std::strerror(ENOSPC));
            EXPECT_EQ(Listing(files_), std::vector<fs::path>{file});
            EXPECT_EQ(ReadFile(file) == old, files.failed != "folder");
            EXPECT_EQ(c.state(), before);
        }
        EXPECT_GT(n, 4) << c.name;  // at least create, write, flush, rename, and the folder's flush
        fs::remove(file);
    }
}

TEST(ResIndex, ReadsTheIndexByItsRulesAndResourceFilesKeepingOldValuesOnFailure) {
    Orvane rpt;
    rpt.NewResData("held")->ResType = rtPicture;
    rpt.ReadResIndex(kDecl +
                     "<x:EResDataCol xmlns:x=\"u\" Count=\"99\"><eResData name=\"lower\" Type=\"1\" />"
                     "<eResData NAME=\"second\" Name=\"exact\" type=\"7\" />"
                     "<Other Name=\"any child\" />"
                     "<eResData Name=\"noType\" /><eResData Name=\"bad\" Type=\"uno\" />"
                     "<eResData Name=\"HELD\" Type=\"2\" /><eResData Type=\"2\" />"
                     "</x:EResDataCol>");
    V names;
    for (const auto& r : *rpt.ResDataCollection) names.push_back(r->Name + ":" + std::to_string(r->ResType));
    EXPECT_EQ(names, (V{"held:1", "lower:1", "exact:7", "any child:0", "noType:0", "bad:0"}));
    for (const char* bad : {"", "<eResDataCol><eResData Name=\"a\" Type=\"1\" />", "not xml at all"})
        rpt.ReadResIndex(bad);  // malformed or empty: adds nothing
    EXPECT_EQ(rpt.ResDataCollection->Count(), 6);

    // Loading a good picture is proved by packing the example on the command line.
    ScratchDir dir;
    WriteFile(dir.path() / "t.txt", "línea 1\r\nlínea 2\n");
    eResData r;
    std::string name = dir.file("sub/../t.txt");
    EXPECT_TRUE(r.LoadTextFromFile(name));
    EXPECT_EQ(name, dir.file("t.txt"));
    EXPECT_EQ(r.TextData, "línea 1\r\nlínea 2\n");
    EXPECT_EQ(r.ResType, rtText);

    EXPECT_FALSE(r.LoadTextFromFile(dir.path().string()));  // a folder
    EXPECT_EQ(r.TextData, "línea 1\r\nlínea 2\n");

    WriteFile(dir.path() / "fake.bmp", "BM but not really");
    MessageRecorder messages;
    r.PicData = Picture::FromBytes(Bmp(0x445566));
    auto before = r.PicData;
    EXPECT_FALSE(r.LoadPictureFromFile(dir.file("fake.bmp")));
    EXPECT_FALSE(r.LoadPictureFromFile(dir.file("missing.bmp")));  // a missing file is not a bad picture: no message
    EXPECT_EQ(r.PicData, before);
    EXPECT_EQ(r.ResType, rtText);
    auto taken = messages->Taken();
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].text, "La imágen nos es válida.");
    EXPECT_EQ(taken[0].icon, platform::MsgIcon::None);
}

}  // namespace
}  // namespace orvane
