// The definition and package readers in every encoding they read: the example
// read in each gives the definition its UTF-8 text gives, and a fault in such
// a text is told in characters, its line shown in UTF-8.
#include <gtest/gtest.h>

#include <orvanespt/model/Orvane.h>
#include <orvanespt/model/eResData.h>
#include "support/Encodings.h"
#include "support/HostileInput.h"
#include "support/TestSupport.h"

namespace orvane {
namespace {

using testing::Encode;
using testing::ReadEncodings;

TEST(ReportXmlEncodings, TheExampleReadsInEveryEncodingAsInUtf8) {
    // The example with every character of the 8-bit encodings in an attribute.
    std::string utf8 = testing::ReadFile(std::string(ORVANE_SOURCE_DIR) + "/examples/sales/ventas.xml");
    const std::string info = "Info=\"";
    ASSERT_NE(utf8.find(info), std::string::npos);
    utf8.insert(utf8.find(info) + info.size(), testing::EveryEightBitCharacter());
    Orvane fromUtf8;
    ASSERT_TRUE(fromUtf8.FromXML(utf8));
    const std::string expected = fromUtf8.ToXML();
    ASSERT_NE(expected.find("\xD0\x96"), std::string::npos);  // a Cyrillic letter came through: Ж

    const std::string index =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
        "<eResDataCol Count=\"1\" ><eResData Name=\"a\xC3\xB1o \xE2\x82\xAC\" Type=\"2\" /></eResDataCol>";
    testing::ScratchDir dir;
    const std::string pkg = dir.file("p.xpd");
    for (const auto& e : ReadEncodings()) {
        SCOPED_TRACE(e.declared + " as " + e.iconvName);
        const std::string text = Encode(utf8, e);
        ASSERT_FALSE(text.empty());
        testing::MessageRecorder rec;
        Orvane r;
        EXPECT_TRUE(r.FromXML(text));
        EXPECT_EQ(r.ToXML(), expected);

        testing::MakeRawZip(
            pkg, {{"source.xml", text}, {"resdata.xml", Encode(index, e)}, {"a\xC3\xB1o \xE2\x82\xAC.txt", "pie"}});
        Orvane p;
        EXPECT_TRUE(p.LoadXPDFile(pkg));
        EXPECT_EQ(p.ToXML(), expected);
        const auto resource = p.GetResdata("a\xC3\xB1o \xE2\x82\xAC");
        ASSERT_NE(resource, nullptr);
        EXPECT_EQ(resource->TextData, "pie");
        EXPECT_TRUE(rec->Taken().empty());
    }
}

TEST(ReportXmlEncodings, FaultsAreToldInCharactersWithTheirLineInUtf8) {
    const std::string utf8 =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Orvane Name=\"A\xC3\xB1o "
        "\xE2\x82\xAC\"><a>\xC3\xB1</b></Orvane>";
    const std::string line = "<Orvane Name=\"A\xC3\xB1o \xE2\x82\xAC\"><a>\xC3\xB1</b></Orvane>";
    for (const auto& e : ReadEncodings()) {
        SCOPED_TRACE(e.declared + " as " + e.iconvName);
        const std::string text = Encode(utf8, e);
        const DefinitionRead read = Orvane().ReadXML(text);
        ASSERT_EQ(read.status, ReadStatus::NotWellFormed);
        EXPECT_EQ(read.error.description, "la etiqueta de cierre no corresponde a la de apertura");
        EXPECT_EQ(read.error.line, 2u);
        // Characters unknown to the encoding became references, which the line shows as written.
        const std::string shown = testing::DecodeAsUtf8(Encode(line, e).substr(e.mark.size()), e);
        EXPECT_EQ(read.error.sourceText, shown);
        const std::size_t beforeName = shown.find("</b>") + 2;
        EXPECT_EQ(read.error.column, text::DecodeUtf8(shown.substr(0, beforeName)).size() + 1);
        EXPECT_EQ(read.error.offset, Encode(utf8.substr(0, utf8.find("</b>") + 2), e).size());
    }

    // Refused encodings say why.
    const std::string root = "<Orvane/>";
    const struct {
        std::string text, description;
    } refused[] = {
        {Encode("<?xml version=\"1.0\" encoding=\"windows-1252\"?>" + root, {"", "UTF-16LE", "\xFF\xFE"}),
         "la marca de orden de bytes (UTF-16LE) contradice la codificaci\xC3\xB3n declarada (windows-1252)"},
        {Encode("<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + root, {"UTF-8", "UTF-16BE", ""}),
         "el texto est\xC3\xA1 en UTF-16BE, que contradice la codificaci\xC3\xB3n declarada (UTF-8)"},
        {"<?xml version=\"1.0\" encoding=\"EBCDIC-US\"?>" + root,
         "no se lee la codificaci\xC3\xB3n declarada (EBCDIC-US): se leen UTF-8, UTF-16, windows-1250 a "
         "windows-1258 e ISO-8859-1 a ISO-8859-16"},
    };
    for (const auto& c : refused) {
        const DefinitionRead read = Orvane().ReadXML(c.text);
        EXPECT_EQ(read.status, ReadStatus::NotWellFormed);
        EXPECT_EQ(read.error.description, c.description);
    }
}

}  // namespace
}  // namespace orvane
