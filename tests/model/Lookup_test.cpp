// Lookups, name generators and ownership of the report object model.
#include <gtest/gtest.h>

#include "model/Orvane.h"

namespace orvane {
namespace {

std::shared_ptr<eRSource> RS(const std::string& name) {
    auto rs = std::make_shared<eRSource>();
    rs->Name = name;
    return rs;
}

std::shared_ptr<eConnection> Cnn(const std::string& name) {
    auto c = std::make_shared<eConnection>();
    c->Name = name;
    return c;
}

TEST(ModelLookup, NamesMatchIgnoringCaseAndOnlyParametersAreTrimmed) {
    auto rpt = std::make_shared<Orvane>();
    ASSERT_TRUE(rpt->AddConnection(Cnn("eConnection1")));
    auto p = std::make_shared<eParameter>();
    p->Name = "fecha";
    rpt->eParameters->Add(p);
    auto d = std::make_shared<eDialog>();
    d->Name = "eDialog1";
    rpt->eDialogs->Add(d);

    EXPECT_EQ(rpt->GetConnection("ECONNECTION1"), rpt->eConections->Item(1));
    EXPECT_EQ(rpt->GetParameter("  Fecha "), p);
    EXPECT_EQ(rpt->GetDialog(" eDialog1"), nullptr);
    EXPECT_EQ(rpt->GetDialog("EDIALOG1"), d);
    EXPECT_EQ(rpt->GetConnection("nope"), nullptr);
}

TEST(ModelLookup, AccentedNamesMatchInEitherCase) {
    auto rpt = std::make_shared<Orvane>();
    auto p = std::make_shared<eParameter>();
    p->Name = "Código";
    rpt->eParameters->Add(p);
    EXPECT_EQ(rpt->GetParameter("CÓDIGO"), p);
}

TEST(ModelLookup, RecordSourcesAreSearchedDepthFirstInPreOrder) {
    auto rpt = std::make_shared<Orvane>();
    auto c = Cnn("c");
    rpt->AddConnection(c);
    auto first = RS("A");
    auto nested = RS("R");
    first->eRSources->Add(nested);
    auto later = RS("R");
    c->eRSources->Add(first);
    c->eRSources->Add(later);
    EXPECT_EQ(rpt->GetRSource("r"), nested);

    auto d1 = std::make_shared<eDialog>();
    auto d2 = std::make_shared<eDialog>();
    auto inD1 = RS("L");
    d1->eRSources->Add(inD1);
    d2->eRSources->Add(RS("L"));
    rpt->eDialogs->Add(d1);
    rpt->eDialogs->Add(d2);
    EXPECT_EQ(rpt->GetRSourceInDlg("L"), inD1);
    EXPECT_EQ(rpt->GetRSource("L"), nullptr) << "connections and dialogs are separate areas";
    EXPECT_EQ(rpt->GetRSourceInDlg("R"), nullptr);
}

// Every walk over record sources ends: at the depth limit (the XML writer
// alone keeps every level), and where a host made a record source its own
// descendant.
TEST(ModelLookup, RecordSourceWalksEndAtTheDepthLimitAndAtACycle) {
    Orvane rpt;
    auto c = Cnn("c");
    rpt.AddConnection(c);
    std::vector<std::shared_ptr<eRSource>> chain;
    for (auto owner = c->eRSources; static_cast<int>(chain.size()) <= kMaxRecordSourceDepth;
         owner = chain.back()->eRSources) {
        chain.push_back(RS("n" + std::to_string(chain.size() + 1)));
        owner->Add(chain.back());
    }
    chain[1]->eRSources->Add(chain[1]);
    chain[2]->eRSources->Add(chain[1]);
    EXPECT_EQ(rpt.GetRSource("N256"), chain[255]);
    EXPECT_EQ(rpt.GetRSource("n257"), nullptr);
    EXPECT_EQ(rpt.GetRSource("missing"), nullptr);
    const std::string xml = rpt.ToXML();
    std::size_t written = 0;
    for (auto at = xml.find("<eRSource "); at != std::string::npos; at = xml.find("<eRSource ", at + 1)) ++written;
    EXPECT_EQ(written, chain.size());
    for (auto& rs : chain) rs->eRSources->Clear();  // the cycle would keep them alive
}

TEST(ModelLookup, AddConnectionRefusesNullAndNamesDifferingOnlyInCase) {
    auto rpt = std::make_shared<Orvane>();
    EXPECT_FALSE(rpt->AddConnection(nullptr));
    auto c = Cnn("Ventas");
    EXPECT_TRUE(rpt->AddConnection(c));
    EXPECT_EQ(c->RPTParent.lock(), rpt);
    EXPECT_FALSE(rpt->AddConnection(Cnn("VENTAS")));
    EXPECT_EQ(rpt->eConections->Count(), 1);
}

TEST(ModelLookup, BackReferencesDoNotKeepTheReportAlive) {
    std::weak_ptr<Orvane> weak;
    std::shared_ptr<eConnection> c = Cnn("x");
    {
        auto rpt = std::make_shared<Orvane>();
        rpt->AddConnection(c);
        weak = rpt;
    }
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(c->RPTParent.lock(), nullptr);
}

TEST(ModelLookup, NewResDataRefusesAnExistingName) {
    auto rpt = std::make_shared<Orvane>();
    auto r = rpt->NewResData("logo");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->Name, "logo");
    EXPECT_EQ(r->ResType, 0);
    EXPECT_EQ(rpt->NewResData("LOGO"), nullptr);
    EXPECT_EQ(rpt->ResDataCollection->Count(), 1);
}

TEST(ModelLookup, DeletesRemoveOnlyTheFirstDirectMatch) {
    auto c = Cnn("c");
    auto a = RS("a");
    auto deep = RS("b");
    a->eRSources->Add(deep);
    c->eRSources->Add(a);
    c->eRSources->Add(RS("B"));
    c->eRSources->Add(RS("b"));
    c->DelRSource("b");
    ASSERT_EQ(c->eRSources->Count(), 2);
    EXPECT_EQ(c->eRSources->Item(2)->Name, "b");
    EXPECT_EQ(a->eRSources->Count(), 1) << "deeper levels are not searched";
    c->DelRSource("zzz");
    EXPECT_EQ(c->eRSources->Count(), 2);

    eDialog d;
    d.eRSources->Add(RS("x"));
    d.DelRSourceInDlg("X");
    EXPECT_EQ(d.eRSources->Count(), 0);
}

TEST(ModelNames, GeneratorsStartAtTheirCounterAndSkipTakenNames) {
    auto rpt = std::make_shared<Orvane>();
    EXPECT_EQ(rpt->UniqueFormatName(), "eFormat1");
    EXPECT_EQ(rpt->GetNewCnnName(), "eConnection1");
    EXPECT_EQ(rpt->UniqueDialogName(), "eDialog1");
    EXPECT_EQ(rpt->UniqueResDataName(), "eResData1");

    auto f2 = std::make_shared<ePrnFormat>();
    f2->Name = "eFormat2";
    rpt->ePrnFormats->Add(f2);
    EXPECT_EQ(rpt->UniqueFormatName(), "eFormat3") << "count + 1 = 2 is taken";

    for (const char* n : {"eDialog1", "EDIALOG3"}) {
        auto d = std::make_shared<eDialog>();
        d->Name = n;
        rpt->eDialogs->Add(d);
    }
    EXPECT_EQ(rpt->UniqueDialogName(), "eDialog4");

    rpt->AddConnection(Cnn("eConnection1"));
    EXPECT_EQ(rpt->GetNewCnnName(), "eConnection2");
}

TEST(ModelNames, NewRecordSourceNameIsFreeUnderConnectionsAndDialogs) {
    auto rpt = std::make_shared<Orvane>();
    auto c = Cnn("c");
    rpt->AddConnection(c);
    auto top = RS("x");
    top->eRSources->Add(RS("eRSource1"));
    c->eRSources->Add(top);
    auto d = std::make_shared<eDialog>();
    d->eRSources->Add(RS("ERSOURCE2"));
    rpt->eDialogs->Add(d);
    EXPECT_EQ(rpt->GetNewRSName(), "eRSource3");
}

TEST(ModelNames, ControlNamesCountFromTheControlCount) {
    eDialog d;
    EXPECT_EQ(d.GetNewName(), "Control1");
    auto c = std::make_shared<eControl>();
    c->Name = "Control2";
    d.eControls->Add(c);
    EXPECT_EQ(d.GetNewName(), "Control3");
    ePrnFormat f;
    f.eControls->Add(std::make_shared<eControl>());
    EXPECT_EQ(f.GetNewName(), "Control2");
}

TEST(ModelRecordSource, ConnectionNameFollowsTheConnectionWhileSet) {
    auto c = Cnn("Ventas");
    eRSource rs;
    rs.ecnnName("Stored");
    EXPECT_EQ(rs.ecnnName(), "Stored");
    rs.eCnn = c;
    rs.ecnnName("Ignored");
    EXPECT_EQ(rs.ecnnName(), "Ventas");
    c.reset();
    EXPECT_EQ(rs.ecnnName(), "Ventas") << "the copied name stays once the connection is gone";
}

TEST(ModelControl, ExtDataAndExtPropertyGetOrCreate) {
    eControl c;
    auto tables = c.ExtData("Tables");
    EXPECT_EQ(c.ExtData("TABLES"), tables);
    EXPECT_EQ(c.Data->Count(), 1);

    EXPECT_EQ(c.GetExtProperty("font"), nullptr);
    EXPECT_EQ(c.ExtendedProperties, nullptr);
    auto created = c.ExtProperty("font");
    ASSERT_NE(c.ExtendedProperties, nullptr);
    EXPECT_EQ(created->Name, "font");
    EXPECT_EQ(c.ExtProperty("Font"), created);
    EXPECT_EQ(c.ExtendedProperties->Count(), 1);
}

TEST(ModelParameter, TypeTextSplitsAtTheBars) {
    eParameter p;
    p.DTFormat = "keep";
    p.eType("adDate");
    EXPECT_EQ(p.eType(), "adDate");
    EXPECT_EQ(p.DTFormat, "keep");
    p.eType("adDate|dd/mm/yy");
    EXPECT_EQ(p.DTFormat, "dd/mm/yy");
    p.eType("adDate|");
    EXPECT_EQ(p.DTFormat, "");
    p.eType("adDBDate|yyyy|rest");
    EXPECT_EQ(p.eType(), "adDBDate");
    EXPECT_EQ(p.DTFormat, "yyyy");
}

TEST(ModelCollection, ItemIsOneBasedAndRemoveIgnoresOutOfRange) {
    Collection<eData> col;
    auto a = std::make_shared<eData>();
    col.Add(a);
    EXPECT_EQ(col.Item(0), nullptr);
    EXPECT_EQ(col.Item(1), a);
    EXPECT_EQ(col.Item(2), nullptr);
    col.Remove(5);
    EXPECT_EQ(col.Count(), 1);
    col.Remove(1);
    EXPECT_EQ(col.Count(), 0);
}

}  // namespace
}  // namespace orvane
