#include <orvanespt/designer/qt/NameDialogs.h>

#include <gtest/gtest.h>

#include <orvanespt/model/eDialog.h>
#include <orvanespt/model/ePrnFormat.h>
#include "QtTestSupport.h"

namespace orvane::testing {
namespace {

const char* const kBlankFields = "Los campos no pueden quedar vacíos, indique un nombre.";

// Types the name, then each properties text in turn, pressing "Aceptar" after each.
Person Fill(const QString& name, const QStringList& properties) {
    return [=](QDialog& d) {
        Type(d, "txtName", name);
        for (const QString& p : properties) {
            Type(d, "txtProperties", p);
            Click(d, "cmdOK");
        }
    };
}

TEST(NameDialogs, DialogsNeedPropertiesThatAreThenDiscardedAndFormatsWriteThem) {
    ScriptedRunner runner;
    MessageRecorder messages;
    designer::QtDesignerDialogs dialogs;
    auto edited = std::make_shared<eDialog>();
    edited->Name = "dlgUno";
    edited->Title = "Fechas";
    runner.Then([&](QDialog& d) {
        Fill("dlgDos", {"", "   "})(d);  // blank, then blanks only: refused, nothing written
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(edited->Name, "dlgUno");
        Fill("dlgDos", {"algo"})(d);
    });
    EXPECT_TRUE(dialogs.EditeDialog(edited));
    EXPECT_EQ(edited->Name, "dlgDos");
    EXPECT_EQ(edited->Title, "Fechas");
    const auto taken = messages->Taken();
    ASSERT_EQ(taken.size(), 2u);
    for (const auto& m : taken) {
        EXPECT_EQ(m.text, kBlankFields);
        EXPECT_EQ(m.icon, platform::MsgIcon::Information);
    }

    messages->Clear();

    auto format = std::make_shared<ePrnFormat>();
    format->Name = "Factura";
    format->Properties = "A4";
    runner.Then([](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Formats");
        EXPECT_EQ(Find<QLineEdit>(d, "txtProperties")->text(), "A4");
        Fill("Recibo", {"Media carta"})(d);
    });
    EXPECT_TRUE(dialogs.EditePrnFormat(format));
    EXPECT_EQ(format->Name, "Recibo");
    EXPECT_EQ(format->Properties, "Media carta");
    runner.Then(Fill("Etiqueta", {"", "3x10"}));
    auto addedFormat = dialogs.AddPrnFormat();
    ASSERT_NE(addedFormat, nullptr);
    EXPECT_EQ(addedFormat->Name, "Etiqueta");
    EXPECT_EQ(addedFormat->Properties, "3x10");
    EXPECT_EQ(Texts(messages), std::vector<std::string>{kBlankFields});
}

}  // namespace
}  // namespace orvane::testing
