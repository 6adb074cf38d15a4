#include "designer/qt/NameDialogs.h"

#include <gtest/gtest.h>

#include "designer/qt/QtDesignerDialogs.h"
#include "model/eDialog.h"
#include "model/ePrnFormat.h"
#include "support/TestSupport.h"
#include "QtTestSupport.h"

namespace orvane::testing {
namespace {

using platform::MsgButtons;
using platform::MsgIcon;

const char* const kBlankFields = "Los campos no pueden quedar vacíos, indique un nombre.";

TEST(NameDialogs, AddedDialogCarriesOnlyTheTypedName) {
    ScriptedRunner runner;
    MessageRecorder messages;
    runner.Then([](QDialog& d) {
        Type(d, "txtName", "dlgFechas");
        Type(d, "txtProperties", "x");
        Click(d, "cmdOK");
    });
    designer::QtDesignerDialogs dialogs;
    auto added = dialogs.AddeDialog();
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->Name, "dlgFechas");
    const eDialog fresh;
    EXPECT_EQ(added->Title, fresh.Title);
    EXPECT_EQ(added->Width, fresh.Width);
    EXPECT_EQ(added->eControls->Count(), 0);
    EXPECT_TRUE(messages->Taken().empty());
}

TEST(NameDialogs, EditedDialogNeedsPropertiesThatAreThenDiscarded) {
    ScriptedRunner runner;
    MessageRecorder messages;
    auto edited = std::make_shared<eDialog>();
    edited->Name = "dlgUno";
    edited->Title = "Fechas";
    runner.Then([&](QDialog& d) {
        EXPECT_EQ(Find<QLineEdit>(d, "txtName")->text(), "dlgUno");
        EXPECT_EQ(Find<QLineEdit>(d, "txtProperties")->text(), "");
        Type(d, "txtName", "dlgDos");
        Click(d, "cmdOK");  // properties still blank: refused, nothing written
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(edited->Name, "dlgUno");
        Type(d, "txtProperties", "   ");
        Click(d, "cmdOK");  // blanks only: refused again
        Type(d, "txtProperties", "algo");
        Click(d, "cmdOK");
    });
    designer::QtDesignerDialogs dialogs;
    EXPECT_TRUE(dialogs.EditeDialog(edited));
    EXPECT_EQ(edited->Name, "dlgDos");
    EXPECT_EQ(edited->Title, "Fechas");
    auto taken = messages->Taken();
    ASSERT_EQ(taken.size(), 2u);
    for (const auto& m : taken) {
        EXPECT_EQ(m.text, kBlankFields);
        EXPECT_EQ(m.buttons, MsgButtons::Ok);
        EXPECT_EQ(m.icon, MsgIcon::Information);
        EXPECT_EQ(m.title, platform::ApplicationTitle());
    }
}

TEST(NameDialogs, FormatEditAndAddWriteNameAndProperties) {
    ScriptedRunner runner;
    MessageRecorder messages;
    auto format = std::make_shared<ePrnFormat>();
    format->Name = "Factura";
    format->Properties = "A4";
    runner.Then([](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Formats");
        EXPECT_EQ(Find<QLineEdit>(d, "txtProperties")->text(), "A4");
        Type(d, "txtName", "Recibo");
        Type(d, "txtProperties", "Media carta");
        Click(d, "cmdOK");
    });
    runner.Then([](QDialog& d) {
        Type(d, "txtName", "Etiqueta");
        Click(d, "cmdOK");
        Type(d, "txtProperties", "3x10");
        Click(d, "cmdOK");
    });
    designer::QtDesignerDialogs dialogs;
    EXPECT_TRUE(dialogs.EditePrnFormat(format));
    EXPECT_EQ(format->Name, "Recibo");
    EXPECT_EQ(format->Properties, "Media carta");
    auto added = dialogs.AddPrnFormat();
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->Name, "Etiqueta");
    EXPECT_EQ(added->Properties, "3x10");
    ASSERT_EQ(messages->Taken().size(), 1u);
    EXPECT_EQ(messages->Taken()[0].text, kBlankFields);
}

}  // namespace
}  // namespace orvane::testing
