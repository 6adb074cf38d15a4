#include "designer/DesignerDialogs.h"

#include <gtest/gtest.h>

#include "designer/OrvaneUI.h"
#include "model/Orvane.h"
#include "support/TestSupport.h"

namespace orvane::designer {
namespace {

// The record source editor accepted with a name chosen by the test.
class NamingEditor : public CancellingDialogs {
public:
    std::string name;
    std::string noNameSeen = "unset";
    std::shared_ptr<eRSource> AddeRSource(const OrvaneUI&, const std::shared_ptr<eConnection>& eC,
                                          const std::string& noName) override {
        noNameSeen = noName;
        auto rs = std::make_shared<eRSource>();
        rs->Name = name;
        rs->eCnn = eC;
        return rs;
    }
};

template <typename T>
std::shared_ptr<T> Named(const std::string& name) {
    auto x = std::make_shared<T>();
    x->Name = name;
    return x;
}

TEST(DesignerDialogs, AddeRSourceRefusesANameUsedAnywhere) {
    auto editor = std::make_shared<NamingEditor>();
    auto previous = SetDesignerDialogs(editor);
    testing::MessageRecorder messages;
    OrvaneUI ui;
    ui.objOrvane = std::make_shared<Orvane>();
    auto first = Named<eConnection>("uno"), second = Named<eConnection>("dos");
    ui.objOrvane->AddConnection(first);
    ui.objOrvane->AddConnection(second);
    auto top = Named<eRSource>("Clientes"), nested = Named<eRSource>("Lineas");
    top->eRSources->Add(nested);
    first->eRSources->Add(top);
    auto dialog = std::make_shared<eDialog>();
    dialog->eRSources->Add(Named<eRSource>("ciudades"));
    ui.objOrvane->eDialogs->Add(dialog);

    for (const char* taken : {"CLIENTES", "lineas", "Ciudades"}) {
        editor->name = taken;
        EXPECT_EQ(ui.AddeRSource(second, second->eRSources, "padre"), nullptr) << taken;
        EXPECT_EQ(editor->noNameSeen, "padre");
    }
    EXPECT_EQ(second->eRSources->Count(), 0);
    ASSERT_EQ(messages->Taken().size(), 3u);
    for (const auto& m : messages->Taken()) EXPECT_EQ(m.text, "El nombre no es válido porque ya existe en el proyecto");

    editor->name = "pedidos";
    auto added = ui.AddeRSource(second, nested->eRSources);
    EXPECT_EQ(editor->noNameSeen, "");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(nested->eRSources->Item(1), added);
    EXPECT_EQ(messages->Taken().size(), 3u);
    EXPECT_EQ(ui.AddeRSource(second, nullptr), nullptr);
    SetDesignerDialogs(previous);
}

}  // namespace
}  // namespace orvane::designer
