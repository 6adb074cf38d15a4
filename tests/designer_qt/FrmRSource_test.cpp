#include <orvanespt/designer/qt/FrmRSource.h>

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTableView>
#include <QTreeWidget>

#include "QtTestSupport.h"
#include <orvanespt/data/ado/Recordset.h>
#include <orvanespt/designer/OrvaneUI.h>
#include <orvanespt/designer/qt/OrvaneE.h>
#include <orvanespt/designer/qt/QtTreeControl.h>
#include <orvanespt/model/FormulaDesigner.h>

namespace orvane::testing {
namespace {

using platform::MsgAnswer;
using platform::MsgIcon;

// The example's sales database and a report over it: connection "ventas",
// record source "clientes" (a table), a dialog's record source "ciudades",
// and three parameters. Every test records the messages and plays the dialogs
// it scripts.
class FrmRSource : public ::testing::Test, public ReportOn {
protected:
    ScratchDir dir;
    std::shared_ptr<eRSource> clientes = Source("clientes", "clientes");
    OrvaneUI ui;
    WithDialogs dialogs;
    MessageRecorder messages;
    ScriptedRunner runner;

    FrmRSource() {
        MakeSalesDatabase(dir.file("ventas.db"));
        cnn->cnnString = "Provider=SQLite;Data Source=" + dir.file("ventas.db");
        clientes->TypeofCommand = "2";
        auto dialog = std::make_shared<eDialog>();
        dialog->eRSources->Add(std::make_shared<eRSource>());
        dialog->eRSources->Item(1)->Name = "ciudades";
        rpt->eDialogs->Add(dialog);
        for (const char* name : {"Ciudad", "Desde", "IdCliente"}) Param(name, "adVarChar")->Predef = "%";
        ui.objOrvane = rpt;
    }

    // An editor in add mode on the connection, as AddeRSource prepares it.
    std::unique_ptr<designer::FrmRSource> Adding(const std::string& noName = "") {
        auto d = std::make_unique<designer::FrmRSource>();
        d->UIRpt = &ui;
        d->NoName = noName;
        d->SetCnn(cnn);
        d->Agregar();
        return d;
    }
    std::unique_ptr<designer::FrmRSource> Editing(const std::shared_ptr<eRSource>& rs) {
        auto d = std::make_unique<designer::FrmRSource>();
        d->UIRpt = &ui;
        d->Modificar(rs);
        return d;
    }
};

using Strings = std::vector<std::string>;

void Pick(QListWidget* list, int row) {
    list->setCurrentRow(row);
    list->item(row)->setSelected(true);
}

TEST_F(FrmRSource, OpensOnTheConnectionWithItsTablesParametersAndAFreeNameAndCancelWritesNothing) {
    const QString proposed = QString::fromStdString(rpt->GetNewRSName());
    auto d = Adding();
    d->show();
    EXPECT_EQ(d->txtName->text(), proposed);
    EXPECT_EQ(d->windowTitle(), "Origen de registros");
    EXPECT_EQ(Entries(d->dxTable), QStringList({"clientes", "lineas", "pedidos"}));
    EXPECT_EQ(Entries(d->List3), QStringList({"Ciudad", "Desde", "IdCliente"}));
    EXPECT_TRUE(d->Option1->isChecked());
    EXPECT_EQ(Shown(*d, {"txtCnn", "dxTable", "dxCursorLocation", "dxCursorType", "dxLockType"}),
              QStringList({"ventas", "", "En el Cliente", "Siempre hacia adelante", "Solo lectura"}));

    // "&Cancelar" leaves the definition as it was.
    const std::string before = rpt->ToXML();
    runner.Then([](QDialog& adding) {
        Type(adding, "txtName", "otro");
        Type(adding, "txtSQL", "SELECT 1");
        Press(adding, "KewlButtons5");
        Press(adding, "Command11");
    });
    EXPECT_EQ(ui.AddeRSource(cnn, cnn->eRSources), nullptr);
    EXPECT_EQ(rpt->ToXML(), before);
    EXPECT_TRUE(messages->Taken().empty());

    // A child's default name avoids its parent's; a typed name stays.
    auto child = Adding(" " + proposed.toUpper().toStdString());
    child->show();
    const QString name = child->txtName->text();
    ASSERT_TRUE(name.startsWith(proposed + "R_")) << name.toStdString();
}

// "&Aceptar" in add mode: the name is checked against the definition, then
// written, then the chosen source is checked and written; a blank name is
// refused only after all of that was saved.
TEST_F(FrmRSource, AceptarChecksTheNameThenTheSourceAndABlankNameOnlyAfterSaving) {
    auto d = Adding();
    d->show();
    d->ThisRC->Name = "antes";
    Press(*d, "Option2");
    d->txtName->setText("CLIENTES");
    Press(*d, "Command10");
    EXPECT_EQ(Texts(messages), Strings({"Ya existe un origen de registros con el mismo nombre"}));
    EXPECT_EQ(d->ThisRC->Name, "antes");

    d->txtName->setText(" nuevo");
    Press(*d, "Command10");
    EXPECT_EQ(Texts(messages), Strings({"Debe indicar el nombre del procedimiento almacenado"}));
    EXPECT_EQ(d->ThisRC->Name, " nuevo");
    Press(*d, "Option3");
    d->txtSQL->setPlainText("");
    Press(*d, "Command10");
    EXPECT_EQ(Texts(messages), Strings({"Debe indicar el comando SQL que producirá el conjunto de registros"}));
    EXPECT_EQ(d->ThisRC->TypeofCommand, "");

    Press(*d, "Option2");
    d->dxProc->setEditText("sp_total");
    d->txtName->setText("  ");
    Press(*d, "Command10");
    const auto taken = messages->Taken();
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].text, "Escriba un nombre de origen de registro.");
    EXPECT_EQ(taken[0].icon, MsgIcon::Information);
    EXPECT_EQ(d->focusWidget(), d->txtName);
    EXPECT_FALSE(d->BotonOk);
    EXPECT_EQ(d->ThisRC->TypeofCommand, "4");
    EXPECT_EQ(d->ThisRC->SQLCommand, "sp_total");
}

TEST_F(FrmRSource, ServerParameterListButtons) {
    auto d = Editing(clientes);
    for (const char* button : {"KewlButtons3", "KewlButtons4"}) Press(*d, button);
    EXPECT_EQ(Texts(messages), std::vector<std::string>({"Seleccione un parámetro en la lista de la izquierda",
                                                         "Seleccione un parámetro en la lista de la derecha"}));
    Press(*d, "KewlButtons5");
    Press(*d, "KewlButtons5");
    EXPECT_EQ(Entries(d->List1), QStringList({"Ciudad", "Desde", "IdCliente"}));
    Pick(d->List1, 2);
    Press(*d, "KewlButtons1");
    EXPECT_EQ(Entries(d->List1), QStringList({"Ciudad", "IdCliente", "Desde"}));
    EXPECT_EQ(d->List1->currentRow(), 1);
    Press(*d, "KewlButtons2");
    EXPECT_EQ(Entries(d->List1), QStringList({"Ciudad", "Desde", "IdCliente"}));

    Pick(d->List3, 1);
    messages->QueueAnswer(MsgAnswer::No);
    Press(*d, "KewlButtons3");
    messages->QueueAnswer(MsgAnswer::Yes);
    Press(*d, "KewlButtons3");
    const auto asked = messages->Taken();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].text, "El parámetro ya está en la lista a pasar al servidor. ¿Desea incluirlo nuevamente?");
    EXPECT_EQ(asked[0].buttons, platform::MsgButtons::YesNo);
    EXPECT_EQ(asked[0].defaultButton, platform::MsgAnswer::No);
    EXPECT_EQ(Entries(d->List1), QStringList({"Ciudad", "Desde", "IdCliente", "Desde"}));
    Pick(d->List1, 0);
    Press(*d, "KewlButtons4");
    Press(*d, "Command10");
    EXPECT_EQ(clientes->SendParameters, "Desde, IdCliente, Desde");

    messages->Clear();
    rpt->eParameters->Clear();
    auto empty = Editing(clientes);
    Press(*empty, "KewlButtons5");
    EXPECT_EQ(Texts(messages),
              std::vector<std::string>({"No hay ningún parámetro, cree uno usando el botón 'Nuevo parámetro'"}));
}

// The test buttons on a table offer its fields; a failed test query or
// preview shows the reason and the statement sent in the details.
TEST_F(FrmRSource, TestButtonsOfferTheFieldsAndAFailureShowsTheReasonAndTheStatementSent) {
    auto d = Editing(clientes);
    Press(*d, "btnProbarCons");  // "Tabla o vista": nothing at all
    EXPECT_TRUE(messages->Taken().empty());
    EXPECT_EQ(clientes->ADORecordset, nullptr);
    Press(*d, "Command4");
    EXPECT_EQ(Entries(d->dxIDField), QStringList({"id_cliente", "nombre", "ciudad", "alta"}));
    Press(*d, "CmdActualizarOrden");
    EXPECT_EQ(Entries(d->txtOrder).mid(0, 3), QStringList({"id_cliente", "id_cliente Desc", "nombre"}));

    Type(*d, "txtSQL", "SELECT * FROM no_hay WHERE ciudad = @Ciudad");
    for (const char* button : {"btnProbarCons", "BntPreviewTable"}) {
        Press(*d, button);
        const auto taken = messages->Taken();
        messages->Clear();
        ASSERT_EQ(taken.size(), 1u) << button;
        EXPECT_EQ(taken[0].text, "No se pudo abrir el origen de registros");
        const std::string& details = taken[0].details;
        const std::string sent = "\n\nSentencia enviada:\nSELECT * FROM no_hay WHERE ciudad = '%'";
        EXPECT_EQ(details.rfind("Motivo: ", 0), 0u) << details;
        ASSERT_GE(details.size(), sent.size());
        EXPECT_LT(details.find("no_hay"), details.size() - sent.size()) << details;  // the reason names the table
        EXPECT_EQ(details.substr(details.size() - sent.size()), sent);
    }
    cnn->cnnString = "Provider=SQLite;Pwd=secreto;Data Source=" + dir.file("no-existe.db");
    Press(*d, "btnProbarCons");
    const auto taken = messages->Taken();
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].text, "Error al abrir la conexión");
    EXPECT_EQ(taken[0].details.rfind("Motivo: ", 0), 0u) << taken[0].details;
    EXPECT_EQ(taken[0].details.find("secreto"), std::string::npos) << taken[0].details;
}

TEST_F(FrmRSource, ZoomAndSqlDesignerReturnTheirTextAndTheTypeFollowsTyping) {
    auto d = Editing(clientes);
    runner.Then([](QDialog& zoom) {
        EXPECT_EQ(zoom.windowTitle(), "SQL");
        auto* text = Find<QPlainTextEdit>(zoom, "Text1");
        text->setPlainText("SELECT nombre FROM clientes");
        Press(zoom, "KewlButtons1");
    });
    Press(*d, "K7");
    EXPECT_EQ(d->txtSQL->toPlainText(), "SELECT nombre FROM clientes");
    EXPECT_TRUE(d->Option1->isChecked());  // copying the zoom back is not typing

    runner.Then([](QDialog& sql) {
        auto* tables = Find<QTreeWidget>(sql, "tvwTablas");
        ASSERT_EQ(tables->topLevelItemCount(), 3);
        QTreeWidgetItem* pedidos = tables->topLevelItem(2);
        pedidos->setExpanded(true);
        ASSERT_EQ(pedidos->childCount(), 4);
        auto* text = Find<QPlainTextEdit>(sql, "txtSQL");
        text->setPlainText("SELECT FROM pedidos WHERE estado <> ");
        QTextCursor caret = text->textCursor();
        caret.setPosition(6);  // right after a word: the name gets a blank before it
        text->setTextCursor(caret);
        tables->setCurrentItem(pedidos->child(2));
        Press(sql, "cmdInsertar");
        text->moveCursor(QTextCursor::End);
        auto* params = Find<QListWidget>(sql, "lstParametros");
        ASSERT_EQ(params->count(), 3);
        params->setCurrentRow(0);
        Press(sql, "cmdInsertar");
        EXPECT_EQ(text->toPlainText(), "SELECT fecha FROM pedidos WHERE estado <> @Ciudad");
        Press(sql, "cmdEjecutar");
        EXPECT_EQ(Find<QTableView>(sql, "grdResultado")->model()->rowCount(), 15);
        Press(sql, "cmdOK");
    });
    Press(*d, "cmdConsulta");
    EXPECT_TRUE(d->Option3->isChecked());
    EXPECT_EQ(d->txtSQL->toPlainText(), "SELECT fecha FROM pedidos WHERE estado <> @Ciudad");
    EXPECT_EQ(runner.Shown(), 2);

    // The source type follows what the person types.
    d->show();
    Type(*d, "dxProc", "sp");
    EXPECT_TRUE(d->Option2->isChecked());
    Type(*d, "txtSQL", "SELECT 1");
    EXPECT_TRUE(d->Option3->isChecked());
    Type(*d, "dxTable", "pedidos");
    EXPECT_TRUE(d->Option1->isChecked());

    cnn->ADOCnn.reset();
    cnn->cnnString = "Provider=SQLite;Data Source=" + dir.file("no-existe.db");
    Press(*d, "cmdConsulta");
    EXPECT_EQ(Texts(messages),
              std::vector<std::string>({"No se puede establecer la conexión a la base de datos, compruebe que la "
                                        "información para establecerla es correcta.\r\nEl diseñador de SQL no puede "
                                        "iniciarse sin una conexión válida."}));
    EXPECT_EQ(runner.Shown(), 2);
}

// The parameter editor as a person fills it for a number parameter.
Person NumberParameter(const QString& name) {
    return [name](QDialog& d) {
        Type(d, "txtName", name);
        Press(d, "optSuperType(1)");
        Press(d, "cmdOK");
    };
}

// The window path below links a child through a new parameter and runs it;
// here, what it does not reach: a child edited and
// removed through the list, and the filter button's two designers.
TEST_F(FrmRSource, NewParametersJoinTheListsChildrenAreEditedOrRemovedAndTheFilterButtonDesigns) {
    auto d = Editing(clientes);
    d->show();
    runner.Then(NumberParameter("IdCli"));
    Press(*d, "Command5");
    ASSERT_EQ(rpt->eParameters->Count(), 4);
    EXPECT_EQ(Entries(d->List3).last(), "IdCli");
    EXPECT_EQ(d->List3->currentRow(), 3);

    Press(*d, "Command2");
    Press(*d, "Command3");
    EXPECT_EQ(Texts(messages), std::vector<std::string>(2, "Seleccione un origen dependiente"));
    runner.Then([](QDialog& child) {
        Type(child, "txtName", "pedidos_cli");
        Type(child, "txtSQL", "SELECT id_pedido FROM pedidos");
        Press(child, "Command10");
    });
    Press(*d, "Command1");
    EXPECT_EQ(Entries(d->List2), QStringList({"pedidos_cli"}));
    ASSERT_EQ(clientes->eRSources->Count(), 1);
    Pick(d->List2, 0);
    runner.Then([](QDialog& edit) { Press(edit, "Command10"); });
    Press(*d, "Command2");
    EXPECT_EQ(runner.Unscripted(), 0);
    messages->QueueAnswer(MsgAnswer::Yes);
    Press(*d, "Command3");
    EXPECT_EQ(Texts(messages),
              std::vector<std::string>({"¿Seguro desea eliminar el origen de registros dependiente seleccionado?"}));
    EXPECT_EQ(clientes->eRSources->Count(), 0);
    EXPECT_EQ(d->List2->count(), 0);

    // The filter button saves first; a formula (an "=" after any blanks) goes to
    // the report's formula designer, any other text to the filter designer.
    const int shown = runner.Shown();
    std::vector<std::string> formulas;
    auto previousFormula =
        SetFormulaDesigner([&formulas](const std::shared_ptr<Orvane>&, std::string& text, std::string& format) {
            formulas.push_back(text + "|" + format);
            text = "=@clientes.ciudad";
            return true;
        });
    d->txtFilter->setText("  = @Desde");
    Press(*d, "bntDesign");
    EXPECT_EQ(formulas, std::vector<std::string>({"  = @Desde|"}));
    EXPECT_EQ(clientes->Filter, "  = @Desde");
    EXPECT_EQ(d->txtFilter->text(), "=@clientes.ciudad");
    EXPECT_EQ(runner.Shown(), shown);

    runner.Then([](QDialog& filter) {  // a condition added, then cancelled: the caller's text comes back
        EXPECT_EQ(filter.objectName(), "dlgFilterDesign");
        Find<QComboBox>(filter, "cmbCampo")->setEditText("fecha");
        Find<QComboBox>(filter, "cmbOperador")->setEditText("=");
        Find<QComboBox>(filter, "cmbParametros")->setEditText("'x'");
        Press(filter, "BntAgregar");
        Press(filter, "bntCancelar");
    });
    d->txtFilter->setText("ciudad = 'Madrid'");
    Press(*d, "bntDesign");
    EXPECT_EQ(runner.Shown(), shown + 1);
    EXPECT_EQ(d->txtFilter->text(), "ciudad = 'Madrid'");

    // A save that fails opens nothing.
    d->dxTable->setEditText("");
    Press(*d, "Option1");
    Press(*d, "bntDesign");
    EXPECT_EQ(Texts(messages), std::vector<std::string>({"Debe indicar el nombre de la tabla origen"}));
    EXPECT_EQ(runner.Shown(), shown + 1);
    SetFormulaDesigner(previousFormula);
}

// What a person does in the editor window: add a record source to the
// connection, pick its table, look at the rows, link a child through a new
// parameter, compose the child's filter, save the package; the command-line
// host then walks the pair.
TEST_F(FrmRSource, APersonBuildsAMasterDetailPairThatTheCliRuns) {
    ReportOn start(cnn->cnnString);
    start.rpt->Name = "nuevo";
    const std::string xml = dir.file("nuevo.xml");
    WriteFile(xml, start.rpt->ToXML());

    designer::OrvaneE window;
    ASSERT_TRUE(window.OpenFile(QString::fromStdString(xml)));
    window.Tree().SelectedItem(window.Tree().Nodes().Item("Cnn_ventas"));

    runner.Then([this](QDialog& d) {
        Type(d, "txtName", "clientes");
        Type(d, "dxTable", "clientes");
        runner.Then([](QDialog& preview) {
            EXPECT_EQ(Find<QTableView>(preview, "dxDBGrid1")->model()->rowCount(), 8);
            Press(preview, "BtnCerrar");
        });
        Press(d, "BntPreviewTable");
        Press(d, "Command4");
        auto* field = Find<QComboBox>(d, "dxIDField");
        field->setCurrentIndex(field->findText("id_cliente"));
        runner.Then(NumberParameter("IdCli"));
        Press(d, "Command5");
        auto* param = Find<QComboBox>(d, "dxParam");
        param->setCurrentIndex(param->findText("IdCli"));
        runner.Then([this](QDialog& child) {
            Type(child, "txtName", "pedidos");
            Type(child, "txtSQL", "SELECT id_pedido, estado FROM pedidos WHERE id_cliente = @IdCli ORDER BY id_pedido");
            Press(child, "btnProbarCons");
            runner.Then([](QDialog& filter) {
                Find<QComboBox>(filter, "cmbCampo")->setEditText("id_pedido");
                Find<QComboBox>(filter, "cmbOperador")->setEditText("<>");
                Find<QComboBox>(filter, "cmbParametros")->setEditText("102");
                Press(filter, "BntAgregar");
                Press(filter, "bntAceptar");
            });
            Press(child, "bntDesign");
            Press(child, "Command10");
        });
        Press(d, "Command1");
        Press(d, "Command10");
    });
    window.mnuAeRSource->trigger();
    EXPECT_EQ(runner.Shown(), 5);
    EXPECT_EQ(Texts(messages), std::vector<std::string>({"La consulta se ha ejecutado satisfactoriamente."}));
    auto report = window.Report();
    ASSERT_EQ(report->eConections->Item(1)->eRSources->Count(), 1);
    const std::string xpd = dir.file("nuevo.xpd");
    ASSERT_TRUE(window.SaveFile(QString::fromStdString(xpd)));
    ASSERT_TRUE(window.OpenFile(QString::fromStdString(xpd)));
    EXPECT_NE(window.Tree().Nodes().Item("Rst_pedidos"), nullptr);

    const Outcome run = RunOrvane("run " + ShellQuote(xpd) + " --limit 1");
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string& shown = run.out;
    EXPECT_NE(shown.find("IdCli = 0"), std::string::npos) << shown;
    EXPECT_NE(shown.find("clientes: id_cliente=1, nombre=\"Ferretería Núñez\""), std::string::npos) << shown;
    // Customer 1's orders are 101 and 102; the child's filter leaves out 102.
    EXPECT_NE(shown.find("pedidos: 1 fila\n      id_pedido=101, estado=\"Entregado\"\n"), std::string::npos) << shown;
}

}  // namespace
}  // namespace orvane::testing
