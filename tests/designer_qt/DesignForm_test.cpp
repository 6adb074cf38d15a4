#include <orvanespt/designer/qt/DesignForm.h>

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPlainTextEdit>
#include <QTreeWidget>

#include "QtTestSupport.h"
#include <orvanespt/model/FormulaDesigner.h>

namespace orvane::testing {
namespace {

using designer::dlgDesignForm;

// The Qt formula designer installed over the sales example, with the
// messages recorded and the dialogs played from scripts.
class DlgDesignForm : public ::testing::Test {
protected:
    DlgDesignForm() { designer::InstallFormulaDesigner(); }
    ~DlgDesignForm() override { SetFormulaDesigner(nullptr); }
    // The dialog on the report, shown without a modal loop.
    void Show(dlgDesignForm& d) {
        d.Report = sales.rpt;
        d.show();
    }
    ScriptedRunner runner;
    MessageRecorder messages;
    SalesExample sales;
};

QTreeWidgetItem* Node(QTreeWidget* tree, const std::string& key) {
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if (dlgDesignForm::KeyOf(*it) == key) return *it;
    ADD_FAILURE() << "no node " << key;
    return nullptr;
}

QStringList Children(const QTreeWidgetItem* node) {
    QStringList out;
    for (int i = 0; node && i < node->childCount(); ++i)
        out << QString::fromStdString(dlgDesignForm::KeyOf(node->child(i)));
    return out;
}

void DoubleClick(dlgDesignForm& d, const std::string& key) {
    QTreeWidgetItem* node = Node(d.TvwSelec, key);
    if (!node) return;
    emit d.TvwSelec->itemDoubleClicked(node, 0);
}

TEST_F(DlgDesignForm, InsertsReferencesOperatorsAndMacrosAtTheCaretAndCancelGivesBackTheCallers) {
    runner.Then([](QDialog& shown) {
        auto& d = static_cast<dlgDesignForm&>(shown);
        EXPECT_EQ(d.dxMemoF->toPlainText(), "=");
        EXPECT_EQ(d.CmbFmt->currentIndex(), -1);
        QTreeWidgetItem* ventas = Node(d.TvwSelec, "Rsc_Ventas");
        ASSERT_NE(ventas, nullptr);
        ventas->setExpanded(true);
        EXPECT_EQ(Children(ventas),
                  QStringList({"Fld_Rsc_Ventasid_pedido", "Fld_Rsc_Ventasfecha", "Fld_Rsc_VentasTotal"}));
        d.dxMemoF->moveCursor(QTextCursor::End);
        DoubleClick(d, "Fld_Rsc_VentasTotal");
        Click(d, "BntOperc(0)");
        Click(d, "BntOperc(0)");
        DoubleClick(d, "Prm_Desde");
        Click(d, "BntOperc(6)");
        d.cmbMacros->setCurrentIndex(3);
        Click(d, "bntAddMacro");
        EXPECT_EQ(d.dxMemoF->toPlainText(), "=@Ventas.Total +  + @Desde & @Pages");
        EXPECT_EQ(d.focusWidget(), d.dxMemoF);
        // A selection is replaced by what is inserted.
        QTextCursor cursor = d.dxMemoF->textCursor();
        cursor.setPosition(1);
        cursor.setPosition(14, QTextCursor::KeepAnchor);
        d.dxMemoF->setTextCursor(cursor);
        Click(d, "BntOperc(4)");
        d.CmbFmt->setCurrentIndex(d.CmbFmt->findText("$ #,#.00"));
        Click(d, "BntAceptar");
    });
    std::string format = "no está en la lista";
    const std::string result = sales.rpt->ShowDesignerF("=", format);
    EXPECT_EQ(runner.Shown(), 1);
    EXPECT_EQ(result, "= (  +  + @Desde & @Pages");
    EXPECT_EQ(format, "$ #,#.00");

    // "Cancelar" gives back the caller's formula and format; "Aceptar" keeps line ends.
    runner.Then([](QDialog& shown) {
        auto& d = static_cast<dlgDesignForm&>(shown);
        EXPECT_EQ(d.CmbFmt->currentText(), "#.00");
        Click(d, "BntOperc(1)");
        d.CmbFmt->setCurrentIndex(0);
        Click(d, "BntCancelar");
    });
    format = "#.00";
    EXPECT_EQ(sales.rpt->ShowDesignerF("@Ventas.Total * 2", format), "@Ventas.Total * 2");
    EXPECT_EQ(format, "#.00");
    runner.Then([](QDialog& shown) { Click(shown, "BntAceptar"); });
    EXPECT_EQ(sales.rpt->ShowDesignerF("@Ventas.Total\r\n* 2", format), "@Ventas.Total\r\n* 2");
}

TEST_F(DlgDesignForm, ShowsTopLevelSourcesAndParametersAndLoadsFieldsLazilySayingWhyItCannot) {
    dlgDesignForm shown;
    Show(shown);
    QStringList top;
    for (int i = 0; i < shown.TvwSelec->topLevelItemCount(); ++i)
        top << QString::fromStdString(dlgDesignForm::KeyOf(shown.TvwSelec->topLevelItem(i)));
    EXPECT_EQ(top, QStringList({"Rsc_Ventas", "PrmR"}));  // the child Lineas has no node
    EXPECT_EQ(Children(Node(shown.TvwSelec, "Rsc_Ventas")), QStringList({"F_Ventas"}));
    EXPECT_EQ(Children(Node(shown.TvwSelec, "PrmR")), QStringList({"Prm_Desde", "Prm_Hasta"}));

    auto broken = std::make_shared<eConnection>();
    broken->Name = "Rota";
    broken->cnnString = "Provider=Inexistente;Data Source=x";
    sales.rpt->AddConnection(broken);
    auto lost = std::make_shared<eRSource>();
    lost->Name = "Perdido";
    lost->TypeofCommand = "1";
    lost->SQLCommand = "SELECT 1";
    lost->eCnn = broken;
    broken->eRSources->Add(lost);
    sales.Source("Malo", "SELECT * FROM no_existe");

    dlgDesignForm d;
    Show(d);
    QTreeWidgetItem* perdido = Node(d.TvwSelec, "Rsc_Perdido");
    QTreeWidgetItem* maloNode = Node(d.TvwSelec, "Rsc_Malo");
    ASSERT_TRUE(perdido && maloNode);
    perdido->setExpanded(true);
    maloNode->setExpanded(true);
    ASSERT_EQ(messages->Taken().size(), 2u);
    EXPECT_EQ(messages->Taken()[0].text, "Error al abrir la conexión .Rota");
    EXPECT_EQ(messages->Taken()[1].text, "Error al abrir el origen de registro Malo");
    EXPECT_EQ(Children(perdido), QStringList({"F_Perdido"}));
    EXPECT_EQ(Children(maloNode), QStringList({"F_Malo"}));
}

}  // namespace
}  // namespace orvane::testing
