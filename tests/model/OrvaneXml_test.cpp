// The definition XML: exact text of the writer, the reader's leniency and
// abort rules, round trips, the parse-error message and the dirty check.
#include <gtest/gtest.h>

#include <tuple>

#include <orvanespt/model/Orvane.h>
#include <orvanespt/model/XmlText.h>
#include <orvanespt/platform/Digest.h>
#include "support/HostileInput.h"
#include "support/TestSupport.h"

namespace orvane {
namespace {

const std::string kEmptyXml =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<Orvane Name=\"\" Info=\"\" Lang=\"\" initialDialog = \"\" initialPrnFormat=\"\" Version=\"1.0\" >\r\n"
    "<eConnections>\r\n"
    "</eConnections>  <eParameters>\r\n"
    "  </eParameters>\r\n"
    "<eDialogs>\r\n"
    "</eDialogs><ePrnFormats></ePrnFormats>\r\n"
    "<eCode></eCode>\r\n"
    "</Orvane>";

const std::string kExampleXml =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<Orvane Name=\"R1\" Info=\"\" Lang=\"\" initialDialog = \"eDialog1\" initialPrnFormat=\"\" Version=\"1.0\" >\r\n"
    "<eConnections>\r\n"
    "<eConnection Name=\"eConnection1\" cnnString=\"\" Internal=\"0\" > \r\n"
    "<eRSources>\r\n"
    "<eRSource Name=\"eRSource1\" ecnnName=\"eConnection1\" CursorLocation=\"\" CursorType=\"\" "
    "SQLCommand=\"SELECT * FROM T1\" TypeofCommand=\"\" LockType=\"\" eFieldNametoParameters=\"\" "
    "idParameterLinked=\"\" SendParameters=\"\" Filter=\"\" Order=\"\" >\r\n"
    "</eRSource>\r\n"
    "</eRSources>\r\n"
    "</eConnection></eConnections>  <eParameters>\r\n"
    "<eParameter Name=\"P1\"  eType=\"adDate|dd/mm/yy\" Predef=\"\"></eParameter>  </eParameters>\r\n"
    "<eDialogs>\r\n"
    "<eDialog Name=\"eDialog1\" Class=\"\" Height=\"3000\" Width=\"4500\" Load=\"\" OnCancel=\"\" "
    "OnControlEvent=\"\" OnOk=\"\" BackColor=\"0\" Title=\"\" Validate=\"\" >\r\n"
    "<eControls>\r\n"
    "<eControl Name=\"Control1\" Class=\"\"  Top=\"120\" Left=\"240\" Width=\"1500\"  Height=\"315\" "
    "Visible=\"-1\" NoNull=\"0\" Extended=\"\" TabIndex=\"0\" BindObject=\"P1\" Enable=\"-1\" Locked=\"0\">\r\n"
    " <eData> \r\n"
    " </eData> \r\n"
    "</eControl></eControls>\r\n"
    "<eRSources>\r\n"
    "</eRSources>\r\n"
    "</eDialog></eDialogs><ePrnFormats></ePrnFormats>\r\n"
    "<eCode></eCode>\r\n"
    "</Orvane>";

std::shared_ptr<Orvane> MakeExample() {
    auto r = std::make_shared<Orvane>();
    r->Name = "R1";
    r->initialDialog = "eDialog1";
    auto cnn = std::make_shared<eConnection>();
    cnn->Name = "eConnection1";
    r->AddConnection(cnn);
    auto rs = std::make_shared<eRSource>();
    rs->Name = "eRSource1";
    rs->eCnn = cnn;
    rs->SQLCommand = "SELECT * FROM T1";
    cnn->eRSources->Add(rs);
    auto p = std::make_shared<eParameter>();
    p->Name = "P1";
    p->eType("adDate|dd/mm/yy");
    r->eParameters->Add(p);
    auto d = std::make_shared<eDialog>();
    d->Name = "eDialog1";
    d->Height = 3000;
    d->Width = 4500;
    auto c = std::make_shared<eControl>();
    c->Name = "Control1";
    c->Top = 120;
    c->Left = 240;
    c->Width = 1500;
    c->Height = 315;
    c->Visible = true;
    c->Enable = true;
    c->BindObject = "P1";
    d->eControls->Add(c);
    r->eDialogs->Add(d);
    return r;
}

// The body of a definition with the given inner text between the root tags.
std::string Doc(const std::string& inner) { return "<?xml version=\"1.0\"?><Orvane Name=\"R\">" + inner + "</Orvane>"; }

TEST(ReportXml, WritesEmptyAndExampleDefinitionsExactlyAndReadsTheExampleBack) {
    Orvane empty;
    EXPECT_EQ(empty.ToXML(), kEmptyXml);
    empty.ePrnFormats = nullptr;
    EXPECT_NE(empty.ToXML().find("</eDialogs><ePrnFormats/>\r\n<eCode>"), std::string::npos);
    EXPECT_EQ(MakeExample()->ToXML(), kExampleXml);
    auto r = std::make_shared<Orvane>();
    ASSERT_TRUE(r->FromXML(kExampleXml));
    EXPECT_EQ(r->ToXML(), kExampleXml);
    EXPECT_FALSE(r->IsDirty());
    ASSERT_TRUE(r->GetRSource("eRSource1"));
    EXPECT_EQ(r->GetRSource("eRSource1")->eCnn.lock(), r->GetConnection("eConnection1"));
    EXPECT_EQ(r->GetConnection("eConnection1")->RPTParent.lock(), r);
    EXPECT_EQ(r->GetParameter("P1")->DTFormat, "dd/mm/yy");
}

// Awkward text and numbers in the written fields.
std::shared_ptr<Orvane> MakeAwkward() {
    const std::string nasty = "l1\r\nl2 \"q\" 'a' <b> & c\td \xC3\xA9\xC3\xB1 \xE2\x82\xAC \xF0\x9F\x98\x80 lone\rcr lone\nlf";
    auto r = MakeExample();
    r->Code = "Sub Main()\r\n\tMsgBox \"<hola> & 'adi\xC3\xB3s'\" \xE2\x82\xAC\r\nEnd Sub";
    auto cnn = r->GetConnection("eConnection1");
    cnn->cnnString = nasty;
    // A query past 4 MiB: the reader's buffers then move to mappings of their own.
    std::string& query = cnn->GeteRSource("eRSource1")->SQLCommand;
    while (query.size() < (std::size_t{5} << 20)) query += nasty;
    auto d = r->GetDialog("eDialog1");
    d->Title = nasty;
    d->BackColor = -2147483633;
    d->Width = 4500.5f;
    auto c = d->GetControl("Control1");
    c->ExtProperty("Caption")->Value = "it's\r\n<x>";
    c->ExtData("Tables")->DatB64 = "QUJD\r\nREVG";
    c->TabIndex = -3;
    auto f = std::make_shared<ePrnFormat>();
    f->Name = "fmt";
    // Beyond the hex limit: a printer command comes back whole.
    f->BeginCommand = std::string("\x1b@\x00\x7f", 4) + "\xC3\xBF" + std::string(40000, '\x1b');
    f->VerticalN = -7;
    f->PaperWidth = 21.59f;
    r->ePrnFormats->Add(f);
    r->GetParameter("P1")->DTFormat = "  ";  // blank: not written
    return r;
}

// The awkward fields, compared with the definition they were written from.
auto AwkwardFields(const Orvane& r) {
    auto c = r.GetDialog("eDialog1")->GetControl("Control1");
    auto f = r.GetFormat("fmt");
    return std::tuple(r.Code, r.GetRSource("eRSource1")->SQLCommand, r.GetConnection("eConnection1")->cnnString,
                      c->GetExtProperty("caption")->Value.TextOr(), c->GetData("Tables")->DatB64, c->TabIndex,
                      f->BeginCommand, f->VerticalN, f->PaperWidth, r.GetDialog("eDialog1")->BackColor);
}

TEST(ReportXml, AwkwardTextSurvivesRoundTrip) {
    auto original = MakeAwkward();
    const std::string xml = original->ToXML();
    EXPECT_EQ(xml.find('\t'), std::string::npos);
    EXPECT_EQ(xml.find("\xC3"), std::string::npos);  // Latin-1 letters become references
    EXPECT_NE(xml.find("eType=\"adDate\" Predef"), std::string::npos);
    auto r = std::make_shared<Orvane>();
    ASSERT_TRUE(r->FromXML(xml));
    EXPECT_EQ(r->ToXML(), xml);
    // Equal texts do not show a field the writer cuts the same way each time.
    EXPECT_EQ(AwkwardFields(*r), AwkwardFields(*original));
}

TEST(ReportXml, ConnectionAndParameterListsStopAtMissingAttribute) {
    Orvane r;
    ASSERT_TRUE(r.FromXML(Doc("<eConnections><x Name='a' cnnString='' Internal='-1'/>"
                              "<x Name='b' Internal='0'/><x Name='c' cnnString='' Internal='0'/></eConnections>"
                              "<eParameters><eParameter Name='p1' eType='adInteger' Predef='1'/>"
                              "<eParameter Name='p2' eType='adInteger'/><eParameter Name='p3' eType='x' Predef=''/>"
                              "</eParameters><eDialogs><eDialog Name='d'/></eDialogs>")));
    ASSERT_EQ(r.eConections->Count(), 1);
    EXPECT_TRUE(r.eConections->Item(1)->Internal);
    ASSERT_EQ(r.eParameters->Count(), 1);
    EXPECT_EQ(r.eParameters->Item(1)->Name, "p1");
    EXPECT_EQ(r.eDialogs->Count(), 1);  // reading went on with the next collection
}

TEST(ReportXml, IndependentAttributesKeepDefaults) {
    Orvane r;
    ASSERT_TRUE(r.FromXML(Doc(
        "<eDialogs><eDialog Title='t' BackColor='red' Width='12'><eControls>"
        "<eControl Class='k' Top='x' Enable='maybe'><eData><DatB64 Name='a'>AA</DatB64><DatB64>BB</DatB64>"
        "<DatB64 Name='c'>CC</DatB64></eData></eControl><eControl Name='second'/></eControls></eDialog></eDialogs>"
        "<ePrnFormats><ePrnFormat Paper='x' HorizontalN='70000' TopM='2' LeftM='-1e39' PaperWidth='3e38'/>"
        "</ePrnFormats>")));
    ASSERT_EQ(r.eDialogs->Count(), 1);
    auto d = r.eDialogs->Item(1);
    EXPECT_EQ(d->Name, "");
    EXPECT_EQ(d->Title, "t");
    EXPECT_EQ(d->BackColor, 0);
    EXPECT_FLOAT_EQ(d->Width, 12);
    ASSERT_EQ(d->eControls->Count(), 2);
    auto c = d->eControls->Item(1);
    EXPECT_EQ(c->Name, "");
    EXPECT_EQ(c->Class, "k");
    EXPECT_FLOAT_EQ(c->Top, 0);
    EXPECT_FALSE(c->Enable);
    ASSERT_EQ(c->Data->Count(), 1);  // the nameless block ends the data list
    EXPECT_EQ(c->Data->Item(1)->DatB64, "AA");
    auto f = r.ePrnFormats->Item(1);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->Paper, Carta);
    EXPECT_EQ(f->HorizontalN, 0);
    EXPECT_FLOAT_EQ(f->TopM, 2);
    EXPECT_FLOAT_EQ(f->LeftM, 0);  // no float holds it: read as no number, so it is not written "-Infinity"
    EXPECT_FLOAT_EQ(f->PaperWidth, 3e38f);
    Orvane again;
    ASSERT_TRUE(again.FromXML(r.ToXML()));
    EXPECT_EQ(again.ToXML(), r.ToXML());
}

TEST(ReportXml, NamesAndTagsMatchAsStated) {
    Orvane r;
    ASSERT_TRUE(r.FromXML(
        "<ORVANE NAME='up' initialdialog='d'><ECONNECTIONS><eConnection name='c' CNNSTRING='s' internal='True'>"
        "<eRSources><eRSource NAME='rs'/><ERSOURCE Name='lost'/></eRSources><ERSOURCES><eRSource Name='lost2'/>"
        "</ERSOURCES></eConnection></ECONNECTIONS><EDIALOGS><eDialog Name='d1'><ECONTROLS><x name='ctl'/>"
        "</ECONTROLS></eDialog><EDIALOG Name='skipped'/></EDIALOGS><eprnformats><ePrnFormat Name='f'>"
        "<eControls><a Name='in'/></eControls><ECONTROLS><a Name='out'/></ECONTROLS></ePrnFormat></eprnformats>"
        "<ECODE>  x  </ECODE></ORVANE>"));
    EXPECT_EQ(r.Name, "up");
    EXPECT_EQ(r.initialDialog, "d");
    auto c = r.GetConnection("c");
    ASSERT_TRUE(c);
    EXPECT_EQ(c->cnnString, "s");
    EXPECT_TRUE(c->Internal);
    ASSERT_EQ(c->eRSources->Count(), 1);
    EXPECT_EQ(c->eRSources->Item(1)->Name, "rs");
    ASSERT_EQ(r.eDialogs->Count(), 1);
    EXPECT_TRUE(r.eDialogs->Item(1)->GetControl("ctl"));
    auto f = r.GetFormat("f");
    ASSERT_EQ(f->eControls->Count(), 1);
    EXPECT_EQ(f->eControls->Item(1)->Name, "in");
    EXPECT_EQ(r.Code, "x");
}

// Each class of fault, in a bare text and as a package's source.xml: refused
// with the parse-error message, the definition left as it was (and clean),
// while the same text without the fault is read.
TEST(ReportXml, TextsThatAreNotWellFormedAreRefusedAndChangeNothing) {
    testing::ScratchDir dir;
    const std::string pkg = dir.file("p.xpd");
    for (const auto& c : testing::NotWellFormedCases("Orvane")) {
        SCOPED_TRACE(c.fault);
        auto r = MakeExample();
        r->Name = "changed";  // dirty before the failed read; the sign is taken anyway
        const std::string before = r->ToXML();
        testing::MessageRecorder rec;
        EXPECT_FALSE(r->FromXML(c.bad));
        testing::MakeRawZip(pkg, {{"source.xml", c.bad}});
        EXPECT_FALSE(r->LoadXPDFile(pkg));
        EXPECT_EQ(r->ToXML(), before);
        EXPECT_FALSE(r->IsDirty());
        const auto taken = rec->Taken();
        ASSERT_EQ(taken.size(), 2u);
        EXPECT_EQ(taken[0].text.rfind("Error #: ", 0), 0u) << taken[0].text;
        EXPECT_EQ(taken[1].text, taken[0].text);
        EXPECT_EQ(taken[0].buttons, platform::MsgButtons::Ok);
        rec->Clear();
        EXPECT_TRUE(r->FromXML(c.good));
        EXPECT_EQ(r->eConections->Count(), 0);
        EXPECT_TRUE(rec->Taken().empty());
    }
}

TEST(ReportXml, ParseErrorTellsWhereAndHidesPasswords) {
    const DefinitionRead read =
        Orvane().ReadXML("<Orvane>\r\n<eConnection cnnString='Password=secreto;'><a>\xC3\xA9\xC3\xA9</b>\r\n</Orvane>");
    EXPECT_EQ(read.error.Message(),
              "Error #: 7: la etiqueta de cierre no corresponde a la de apertura\r\n"
              "Line #: 2\r\nLine Position: 51\r\nPosition In File: 62\r\n"
              "Source Text: <eConnection cnnString='Password=***;'><a>\xC3\xA9\xC3\xA9</b>\r\n");

    // A definition on one line shows only a readable span around the fault.
    const std::string line = "<Orvane><x a='" + std::string(300, 'a') + "'></y>" + std::string(300, 'z') + "</Orvane>";
    const std::string message = Orvane().ReadXML(line).error.Message();
    const auto source = message.find("Source Text: ");
    ASSERT_NE(source, std::string::npos) << message;
    const std::string shown = message.substr(source + 13);
    EXPECT_TRUE(shown.starts_with("...a") && shown.ends_with("z...\r\n")) << shown;
    EXPECT_NE(shown.find("'></y>"), std::string::npos) << shown;
    EXPECT_LE(shown.size(), 3 + 120 + 3 + 2u) << shown;
}

// Deeper record sources are refused where they start, never cut. Other
// elements nest freely.
TEST(ReportXml, RecordSourcesNestedPastTheLimitAreRefused) {
    auto tree = [](int levels) {
        std::string inner;
        for (int i = 0; i < levels; ++i) inner += "<eRSources>\n<eRSource Name='r" + std::to_string(i) + "'>";
        for (int i = 0; i < levels; ++i) inner += "</eRSource></eRSources>";
        return Doc("<eConnections><eConnection Name='c' cnnString='' Internal='0'>" + inner +
                   "</eConnection></eConnections>");
    };
    Orvane r;  // not owned by a shared_ptr: the reader must not need one
    ASSERT_TRUE(r.FromXML(tree(kMaxRecordSourceDepth)));
    const std::string atLimit = r.ToXML();

    const DefinitionRead read = r.ReadXML(tree(kMaxRecordSourceDepth + 1));
    EXPECT_EQ(read.status, ReadStatus::NotWellFormed);
    EXPECT_EQ(read.error.code, 1000);
    EXPECT_EQ(read.error.line, kMaxRecordSourceDepth + 2u);
    EXPECT_EQ(read.error.sourceText.rfind("<eRSource Name='r256'></eRSource>", 0), 0u);
    EXPECT_EQ(r.ToXML(), atLimit);

    std::string deep = "<Orvane><eCode>";
    for (int i = 0; i < 200000; ++i) deep += "<a>";
    deep += "deep";
    for (int i = 0; i < 200000; ++i) deep += "</a>";
    ASSERT_TRUE(r.FromXML(deep + "</eCode></Orvane>"));
    EXPECT_EQ(r.Code, "deep");
}

TEST(ReportXml, DirtyCheckFollowsTheWrittenText) {
    Orvane r;
    r.Version = 7;  // neither is written
    r.NewResData("pic");
    EXPECT_FALSE(r.IsDirty());
    r.Name = "x";
    EXPECT_TRUE(r.IsDirty());
    r.SetHash();
    EXPECT_FALSE(r.IsDirty());
    // The sign is taken a slice of 1 << 18 bytes at a time: none may split a CR LF pair or a UTF-8 sequence.
    for (const char* tail : {"\r\n", "\xC3\xB1"}) {
        r.Code = std::string((1 << 18) - 1, 'a') + tail;
        EXPECT_EQ(r.GetHashSign(), platform::DigestService().Sign(r.ToXML()));
    }
}

}  // namespace
}  // namespace orvane
