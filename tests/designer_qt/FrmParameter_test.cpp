#include <orvanespt/designer/qt/FrmParameter.h>

#include <gtest/gtest.h>

#include <QDate>

#include "QtTestSupport.h"

namespace orvane::testing {
namespace {

using designer::frmParameter;

std::shared_ptr<eParameter> Parameter(const std::string& type, const std::string& predef, const std::string& format) {
    auto p = std::make_shared<eParameter>();
    p->Name = "p";
    p->eType(type);
    p->Predef = predef;
    p->DTFormat = format;
    return p;
}

// A date written "=yyyyMMdd" is today in that form.
std::string Expected(const char* text) {
    return *text == '=' ? QDate::currentDate().toString(text + 1).toStdString() : text;
}

// The person first leaves the name blank (refused), then chooses a type group
// (and, for dates, maybe the OLE DB type and a format) and types the default;
// type "" adds a new parameter.
struct EditCase {
    const char* type;
    const char* predef;
    const char* format;
    int group;
    const char* shown;  // the default right after the group is chosen
    const char* oleDb;  // "": the plain date type
    const char* formatTyped;
    const char* predefTyped;
    const char* typeAfter;
    const char* predefAfter;
    const char* formatAfter;
};

class FrmParameterEdits : public ::testing::TestWithParam<EditCase> {};

TEST_P(FrmParameterEdits, WritesTypeDefaultAndFormatByGroup) {
    const EditCase& c = GetParam();
    ScriptedRunner runner;
    MessageRecorder messages;
    designer::QtDesignerDialogs dialogs;
    runner.Then([&c](QDialog& d) {
        Type(d, "txtName", "   ");
        Click(d, "cmdOK");
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.focusWidget(), Find<QLineEdit>(d, "txtName"));
        Type(d, "txtName", " pNombre ");
        Click(d, ("optSuperType(" + std::to_string(c.group) + ")").c_str());
        EXPECT_EQ(Find<QLineEdit>(d, "txtPredef")->text().toStdString(), Expected(c.shown));
        if (*c.oleDb) {
            Click(d, "Option2");
            Find<QComboBox>(d, "cmbTipos(2)")->setCurrentText(c.oleDb);
        }
        if (c.formatTyped) Type(d, "Combo1", c.formatTyped);
        Type(d, "txtPredef", c.predefTyped);
        Click(d, "cmdOK");
    });
    auto p = Parameter(*c.type ? c.type : "adVarChar", c.predef, c.format);
    if (*c.type)
        EXPECT_TRUE(dialogs.EditeParameter(p));
    else
        ASSERT_NE(p = dialogs.AddeParameter(), nullptr);
    EXPECT_EQ(p->Name, " pNombre ");
    EXPECT_EQ(p->eType(), c.typeAfter);
    EXPECT_EQ(p->Predef, Expected(c.predefAfter));
    EXPECT_EQ(p->DTFormat, c.formatAfter);
    const auto taken = messages->Taken();
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].text, "Debe indicar el nombre del parámetro.");
    EXPECT_EQ(taken[0].icon, platform::MsgIcon::Information);
}

INSTANTIATE_TEST_SUITE_P(
    Groups, FrmParameterEdits,
    ::testing::Values(EditCase{"adVarChar", "abc", "", 1, "0", "", nullptr, "", "adDouble", "0", ""},
                      // A blank date default becomes today, in the parameter's own format.
                      EditCase{"adVarChar", "x", "yyyy-mm-dd", 2, "=yyyy-MM-dd", "adDBTimeStamp", nullptr, "",
                               "adDBTimeStamp", "=yyyy-MM-dd", "yyyy-mm-dd"},
                      EditCase{"", "", "", 2, "=yyyyMMdd", "", "dd/mm/yyyy", "  ", "strDateTime", "=dd/MM/yyyy",
                               "dd/mm/yyyy"}));

}  // namespace
}  // namespace orvane::testing
