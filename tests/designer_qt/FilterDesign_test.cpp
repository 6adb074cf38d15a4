#include <orvanespt/designer/qt/FilterDesign.h>

#include <gtest/gtest.h>

#include <QComboBox>
#include <QListWidget>

#include "QtTestSupport.h"

namespace orvane::testing {
namespace {

using designer::DlgFilterDesign;

void ClickEntry(DlgFilterDesign& d, int row) {
    QListWidget* list = d.lstExpresion;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

void AddCondition(DlgFilterDesign& d, const QString& field, const QString& op, const QString& value,
                  const QString& unionWord) {
    Type(d, "cmbCampo", field);
    Type(d, "cmbOperador", op);
    Type(d, "cmbParametros", value);
    Type(d, "cmbUnion", unionWord);
    QTest::mouseClick(d.BntAgregar, Qt::LeftButton);
}

struct OpenDialog {
    SalesExample sales;
    DlgFilterDesign d;
    explicit OpenDialog(const std::string& filter, bool openConnection = true) {
        if (openConnection) sales.cnn->OpenConnection();
        d.SetConnection(sales.cnn);
        d.SetRecordSource(sales.ventas);
        d.SetFilterText(filter);
        d.show();
    }
};

TEST(DlgFilterDesign, LoadsConditionsFieldsOperatorsAndParametersAndEditsTheSelectedEntryInPlace) {
    OpenDialog o("id_pedido >= @Desde and [Total] < 100 OR fecha LIKE '2024-0*'");
    DlgFilterDesign& d = o.d;
    EXPECT_EQ(d.windowTitle(), QString::fromUtf8("Diseñador de filtros"));
    EXPECT_EQ(Entries(d.lstExpresion),
              QStringList({"id_pedido >= @Desde AND", "[Total] < 100 OR", "fecha LIKE '2024-0*' AND"}));
    EXPECT_EQ(Entries(d.cmbCampo), QStringList({"id_pedido", "fecha", "Total"}));
    EXPECT_EQ(Entries(d.cmbOperador), QStringList({"=", ">", "<", ">=", "<=", "<>", "Like"}));
    EXPECT_EQ(Entries(d.cmbParametros), QStringList({"@Desde", "@Hasta"}));

    ClickEntry(d, 2);
    EXPECT_EQ(d.EditedPosition(), 2);
    EXPECT_EQ(d.cmbCampo->currentText(), "fecha");
    EXPECT_EQ(d.cmbOperador->currentText(), "LIKE");
    EXPECT_EQ(d.cmbParametros->currentText(), "'2024-0*'");
    EXPECT_EQ(d.cmbUnion->currentText(), "AND");
    // Loading the combos from the entry does not rewrite it.
    EXPECT_EQ(d.lstExpresion->item(2)->text(), "fecha LIKE '2024-0*' AND");

    // The selected entry is edited in place, and never another after "Eliminar".
    OpenDialog edited("a = 1 AND b = 2 OR c = 3");
    DlgFilterDesign& e = edited.d;

    ClickEntry(e, 1);
    e.cmbOperador->setCurrentIndex(e.cmbOperador->findText(">="));
    EXPECT_EQ(Entries(e.lstExpresion), QStringList({"a = 1 AND", "b >= 2 OR", "c = 3 AND"}));
    Type(e, "cmbParametros", "@Hasta");
    EXPECT_EQ(e.lstExpresion->item(1)->text(), "b >= @Hasta OR");

    QTest::mouseClick(e.bntEliminar, Qt::LeftButton);
    EXPECT_EQ(Entries(e.lstExpresion), QStringList({"a = 1 AND", "c = 3 AND"}));
    EXPECT_FALSE(e.Editing());
    for (const char* combo : {"cmbCampo", "cmbOperador", "cmbParametros", "cmbUnion"}) Type(e, combo, "zz");
    EXPECT_EQ(Entries(e.lstExpresion), QStringList({"a = 1 AND", "c = 3 AND"}));

    // "Nuevo" ends editing too: "Agregar" then appends.
    ClickEntry(e, 0);
    QTest::mouseClick(e.BntNuevo, Qt::LeftButton);
    EXPECT_FALSE(e.Editing());
    AddCondition(e, "d", "<", "4", "AND");
    EXPECT_EQ(Entries(e.lstExpresion), QStringList({"a = 1 AND", "c = 3 AND", "d < 4 AND"}));
}

// A filter it cannot split is one entry, kept whole and never edited.
TEST(DlgFilterDesign, KeepsAFilterItCannotSplitWhole) {
    OpenDialog whole("  (id_pedido = 1 OR id_pedido = 2) AND Total > 10 ");
    DlgFilterDesign& w = whole.d;
    ASSERT_EQ(w.lstExpresion->count(), 1);
    EXPECT_EQ(w.lstExpresion->item(0)->text(), "(id_pedido = 1 OR id_pedido = 2) AND Total > 10");
    ClickEntry(w, 0);
    EXPECT_FALSE(w.Editing());
    QTest::mouseClick(w.bntAceptar, Qt::LeftButton);
    EXPECT_EQ(w.FilterText(), "(id_pedido = 1 OR id_pedido = 2) AND Total > 10 ");
}

}  // namespace
}  // namespace orvane::testing
