#include "designer/qt/FrmParameter.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDate>
#include <QRadioButton>

#include "designer/qt/QtDesignerDialogs.h"
#include "support/TestSupport.h"
#include "QtTestSupport.h"

namespace orvane::testing {
namespace {

using designer::frmParameter;

std::shared_ptr<eParameter> Parameter(const std::string& name, const std::string& type, const std::string& predef,
                                      const std::string& format = "") {
    auto p = std::make_shared<eParameter>();
    p->Name = name;
    p->eType(type);
    p->Predef = predef;
    p->DTFormat = format;
    return p;
}

QStringList Entries(QComboBox* combo) {
    QStringList out;
    for (int i = 0; i < combo->count(); ++i) out << combo->itemText(i);
    return out;
}

void ChooseFormat(QDialog& d, const QString& format) {
    auto* combo = Find<QComboBox>(d, "Combo1");
    combo->lineEdit()->selectAll();
    QTest::keyClick(combo->lineEdit(), Qt::Key_Delete);
    QTest::keyClicks(combo->lineEdit(), format);
}

TEST(FrmParameter, ListsTheThreeTypeGroupsWithTheirDefaults) {
    EnsureApplication();
    frmParameter d;
    const QStringList text = Entries(d.cmbTipos[0]);
    const QStringList numbers = Entries(d.cmbTipos[1]);
    const QStringList dates = Entries(d.cmbTipos[2]);
    EXPECT_TRUE(text.contains("adBSTR") && text.contains("adChar") && text.contains("adVarChar"));
    EXPECT_TRUE(numbers.contains("adBoolean") && numbers.contains("adInteger"));
    EXPECT_EQ(dates, QStringList({"adDate", "adDBDate", "adDBTime", "adDBTimeStamp", "strDateTime"}));
    for (const QStringList* list : {&text, &numbers, &dates}) {
        EXPECT_FALSE(list->contains("adBinary"));
        EXPECT_FALSE(list->contains("adEmpty"));
    }
    EXPECT_EQ(d.cmbTipos[0]->currentText(), "adVarChar");
    EXPECT_EQ(d.cmbTipos[1]->currentText(), "adDouble");
    EXPECT_EQ(d.cmbTipos[2]->currentText(), "strDateTime");
    EXPECT_EQ(Entries(d.Combo1), QStringList({"yyyymmdd", "yyyy-mm-dd", "yyyymmdd hh:mm:ss", "yyyy-mm-dd hh:mm:ss",
                                              "yyyy-mm-ddThh:mm:ss", "yyyymmdd hhmmss"}));
    EXPECT_TRUE(d.optSuperType[0]->isChecked());
    EXPECT_TRUE(d.Option1->isChecked());
    EXPECT_TRUE(d.cmbTipos[0]->isEnabled());
    EXPECT_FALSE(d.cmbTipos[1]->isEnabled());
    EXPECT_FALSE(d.Combo1->isEnabled());
}

struct Opening {
    const char* type;
    int group;
    bool option2;
    const char* entry;
};

class FrmParameterOpens : public ::testing::TestWithParam<Opening> {};

TEST_P(FrmParameterOpens, InTheGroupOfTheStoredType) {
    EnsureApplication();
    const Opening& o = GetParam();
    frmParameter d;
    d.Editar(Parameter("pFecha", o.type, "20240131", "yyyymmdd"));
    EXPECT_TRUE(d.optSuperType[o.group]->isChecked());
    EXPECT_EQ(d.cmbTipos[o.group]->currentText(), o.entry);
    EXPECT_EQ(d.Option2->isChecked(), o.option2);
    EXPECT_EQ(d.cmbTipos[2]->isEnabled(), o.group == 2 && o.option2);
    EXPECT_EQ(d.Combo1->isEnabled(), o.group == 2);
    EXPECT_EQ(d.cmbTipos[0]->isEnabled(), o.group == 0);
    EXPECT_EQ(d.txtPredef->text(), "20240131");
}

INSTANTIATE_TEST_SUITE_P(Types, FrmParameterOpens,
                         ::testing::Values(Opening{"STRDATETIME ", 2, false, "strDateTime"},
                                           Opening{"adDBDate", 2, true, "adDBDate"},
                                           Opening{"ADINTEGER", 1, false, "adInteger"},
                                           Opening{"adBoolean", 1, false, "adBoolean"},
                                           Opening{"adBinary", 0, false, "adVarChar"},
                                           Opening{"adChar", 0, false, "adChar"}));

TEST(FrmParameter, EditWritesTypeAndDefaultsByGroup) {
    ScriptedRunner runner;
    MessageRecorder messages;
    designer::QtDesignerDialogs dialogs;
    auto number = Parameter("pNum", "adVarChar", "abc");
    runner.Then([](QDialog& d) {
        Click(d, "optSuperType(1)");
        EXPECT_EQ(Find<QLineEdit>(d, "txtPredef")->text(), "0");
        Type(d, "txtPredef", "");
        Click(d, "cmdOK");
    });
    EXPECT_TRUE(dialogs.EditeParameter(number));
    EXPECT_EQ(number->eType(), "adDouble");
    EXPECT_EQ(number->Predef, "0");

    auto text = Parameter("pTexto", "adInteger", "5");
    runner.Then([](QDialog& d) {
        Click(d, "optSuperType(0)");
        Type(d, "txtName", " pNombre ");
        Click(d, "cmdOK");
    });
    EXPECT_TRUE(dialogs.EditeParameter(text));
    EXPECT_EQ(text->Name, " pNombre ");
    EXPECT_EQ(text->eType(), "adVarChar");
    EXPECT_EQ(text->Predef, "");
    EXPECT_TRUE(messages->Taken().empty());
}

TEST(FrmParameter, DateGroupFormatsTodayAndTakesTheOleDbTypeOnlyWhenAsked) {
    ScriptedRunner runner;
    MessageRecorder messages;
    designer::QtDesignerDialogs dialogs;
    auto p = Parameter("pDia", "adVarChar", "x", "yyyy-mm-dd");
    runner.Then([](QDialog& d) {
        Click(d, "optSuperType(2)");
        EXPECT_EQ(Find<QLineEdit>(d, "txtPredef")->text(), QDate::currentDate().toString("yyyy-MM-dd"));
        EXPECT_FALSE(Find<QComboBox>(d, "cmbTipos(2)")->isEnabled());
        Click(d, "Option2");
        auto* types = Find<QComboBox>(d, "cmbTipos(2)");
        EXPECT_TRUE(types->isEnabled());
        types->setCurrentText("adDBTimeStamp");
        Type(d, "txtPredef", "");
        Click(d, "cmdOK");
    });
    EXPECT_TRUE(dialogs.EditeParameter(p));
    EXPECT_EQ(p->eType(), "adDBTimeStamp");
    EXPECT_EQ(p->DTFormat, "yyyy-mm-dd");
    // A blank default becomes now, in the parameter's own format.
    EXPECT_EQ(p->Predef, QDate::currentDate().toString("yyyy-MM-dd").toStdString());
}

TEST(FrmParameter, AddedDateParameterDefaultsToTodayAsStoredFormatOrYyyymmdd) {
    ScriptedRunner runner;
    MessageRecorder messages;
    designer::QtDesignerDialogs dialogs;
    runner.Then([](QDialog& d) {
        Type(d, "txtName", "pDesde");
        Click(d, "optSuperType(2)");
        ChooseFormat(d, "");
        Type(d, "txtPredef", "");
        Click(d, "cmdOK");
    });
    auto added = dialogs.AddeParameter();
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->Name, "pDesde");
    EXPECT_EQ(added->eType(), "strDateTime");
    EXPECT_EQ(added->DTFormat, "");
    EXPECT_EQ(added->Predef, QDate::currentDate().toString("yyyyMMdd").toStdString());

    runner.Then([](QDialog& d) {
        Type(d, "txtName", "pHasta");
        Click(d, "optSuperType(2)");
        ChooseFormat(d, "dd/mm/yyyy");
        Type(d, "txtPredef", "  ");
        Click(d, "cmdOK");
    });
    added = dialogs.AddeParameter();
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->DTFormat, "dd/mm/yyyy");
    EXPECT_EQ(added->Predef, QDate::currentDate().toString("dd/MM/yyyy").toStdString());
}

TEST(FrmParameter, BlankNameIsRefusedWithTheInformationIcon) {
    ScriptedRunner runner;
    MessageRecorder messages;
    designer::QtDesignerDialogs dialogs;
    runner.Then([](QDialog& d) {
        Type(d, "txtName", "   ");
        Click(d, "cmdOK");
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.focusWidget(), Find<QLineEdit>(d, "txtName"));
        Type(d, "txtName", "pCliente");
        Click(d, "cmdOK");
    });
    auto added = dialogs.AddeParameter();
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->eType(), "adVarChar");
    ASSERT_EQ(messages->Taken().size(), 1u);
    EXPECT_EQ(messages->Taken()[0].text, "Debe indicar el nombre del parámetro.");
    EXPECT_EQ(messages->Taken()[0].icon, platform::MsgIcon::Information);
    EXPECT_EQ(messages->Taken()[0].buttons, platform::MsgButtons::Ok);
}

}  // namespace
}  // namespace orvane::testing
