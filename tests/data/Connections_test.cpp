// Connection-string kinds, macro arguments and data-link files.
#include "data/Connections.h"

#include <gtest/gtest.h>

#include "data/ado/DataError.h"
#include "support/TestSupport.h"

namespace orvane::data {
namespace {

using orvane::testing::ScratchDir;
using orvane::testing::WriteFile;

TEST(ConnectionKind, RecognisesTheMacrosExactlyInTheirOrder) {
    const std::pair<const char*, int> cases[] = {
        {"@gtCnnManager.oldBriscoDb", 2},
        {"@gtCnnManager.oldMaltevaDb", 3},
        {"@gtCnnManager.ApplicationDb(\"Ventas\")", 1},
        {"@DataLinkFile(\"/srv/ventas.udl\")", 4},
        {"Provider=SQLite;Data Source=:memory:", 5},
        {"", 5},
        {"@gtCnnManager.oldBriscoDb ", 5},  // not the whole text
        {" @gtCnnManager.oldMaltevaDb", 5},
        {"@gtcnnmanager.applicationdb(\"Ventas\")", 5},  // case counts
        {"@datalinkfile(\"/x.udl\")", 5},
        {"@DataLinkFile(\"a\") @gtCnnManager.ApplicationDb(\"b\")", 1},
        {"x@gtCnnManager.ApplicationDb", 1},  // anywhere, arguments or not
        {"@gtCnnManager.oldBriscoDb@DataLinkFile", 4},
    };
    for (const auto& [text, kind] : cases) EXPECT_EQ(ConnectionKind(text), kind) << text;
}

TEST(ConnectionKind, ArgumentsAreTakenByDeletingTheMacro) {
    EXPECT_EQ(ApplicationNameOf("@gtCnnManager.ApplicationDb(\"Ventas\")"), "Ventas");
    EXPECT_EQ(ApplicationNameOf("a@gtCnnManager.ApplicationDb(\"Ventas\")b"), "aVentasb");
    EXPECT_EQ(ApplicationNameOf("@gtCnnManager.ApplicationDb(\"A\")@gtCnnManager.ApplicationDb(\"B\")"), "AB");
    EXPECT_EQ(ApplicationNameOf("plain"), "plain");
    EXPECT_EQ(DataLinkPathOf("@DataLinkFile(\"/srv/a b.udl\")"), "/srv/a b.udl");
    EXPECT_EQ(DataLinkPathOf("@DataLinkFile(/x.udl)"), "@DataLinkFile(/x.udl)");
}

TEST(DropLinesStartingWith, KeepsTrimmedLinesEndedByCrLf) {
    EXPECT_EQ(DropLinesStartingWith("[oledb]\r\n; comment\r\n  Provider=X  \r\n", "[oledb]"),
              "; comment\r\nProvider=X\r\n");
    EXPECT_EQ(DropLinesStartingWith("a\n\nb", ";"), "a\r\n\r\nb\r\n");
    EXPECT_EQ(DropLinesStartingWith("[OLEDB]\r;x\r y", "[oledb]"), "[OLEDB]\r\n;x\r\ny\r\n");
    EXPECT_EQ(DropLinesStartingWith("   ;indented\n", ";"), "");
    EXPECT_EQ(DropLinesStartingWith("", ";"), "");
}

// UTF-16 bytes of an ASCII or Latin-1 text, with its byte-order mark.
std::string Utf16(const std::string& latin1, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : latin1) {
        if (bigEndian) out += '\0';
        out += c;
        if (!bigEndian) out += '\0';
    }
    return out;
}

TEST(ReadDataLinkFile, GivesTheConnectionLineOfEveryEncoding) {
    const std::string lines =
        "[oledb]\r\n; Everything after this line is an OLE DB initstring\r\n   Provider=SQLite;Data Source=/d.db\r\n";
    const std::string expected = "Provider=SQLite;Data Source=/d.db\r\n";
    ScratchDir dir;
    const std::pair<const char*, std::string> files[] = {
        {"le.udl", Utf16(lines, false)},
        {"be.udl", Utf16(lines, true)},
        {"bom.udl", "\xEF\xBB\xBF" + lines},
        {"plain.udl", lines},
    };
    for (const auto& [name, bytes] : files) {
        WriteFile(dir.file(name), bytes);
        EXPECT_EQ(ReadDataLinkFile(dir.file(name)), expected) << name;
    }
    WriteFile(dir.file("latin1.udl"), "[oledb]\nData Source=/a\xF1o.db\n");
    EXPECT_EQ(ReadDataLinkFile(dir.file("latin1.udl")), "Data Source=/a\xC3\xB1o.db\r\n");
    WriteFile(dir.file("utf16-latin1.udl"), Utf16("Data Source=/a\xF1o.db", false));
    EXPECT_EQ(ReadDataLinkFile(dir.file("utf16-latin1.udl")), "Data Source=/a\xC3\xB1o.db\r\n");
}

TEST(ReadDataLinkFile, MissingOrUnreadableGivesEmpty) {
    ScratchDir dir;
    EXPECT_EQ(ReadDataLinkFile(dir.file("none.udl")), "");
    EXPECT_EQ(ReadDataLinkFile(dir.path().string()), "");
    EXPECT_EQ(ReadDataLinkFile(""), "");
    WriteFile(dir.file("empty.udl"), "");
    EXPECT_EQ(ReadDataLinkFile(dir.file("empty.udl")), "");

    // A huge file named as a data link is not read, and opening says why.
    const std::string line = "Provider=SQLite;Data Source=/x.db\r\n";
    std::string big = line + std::string(kMaxDataLinkFileBytes - line.size(), ' ');
    WriteFile(dir.file("limit.udl"), big);
    EXPECT_EQ(ReadDataLinkFile(dir.file("limit.udl")), line + "\r\n");
    WriteFile(dir.file("big.udl"), big + " ");
    EXPECT_EQ(ReadDataLinkFile(dir.file("big.udl")), "");
    try {
        OpenAdoConnection("@DataLinkFile(\"" + dir.file("big.udl") + "\")");
        ADD_FAILURE() << "opened";
    } catch (const DataError& e) {
        EXPECT_NE(std::string(e.what()).find("larger than 1048576 bytes"), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace orvane::data
