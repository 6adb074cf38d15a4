#include <orvanespt/designer/qt/Screenshots.h>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstdlib>
#include <fstream>
#include <functional>

#include <orvanespt/designer/OrvaneUI.h>
#include <orvanespt/designer/qt/ApplicationsDialog.h>
#include <orvanespt/designer/qt/DataLinkDialog.h>
#include <orvanespt/designer/qt/DesignForm.h>
#include <orvanespt/designer/qt/FilterDesign.h>
#include <orvanespt/designer/qt/FrmConnection.h>
#include <orvanespt/designer/qt/FrmParameter.h>
#include <orvanespt/designer/qt/FrmRSource.h>
#include <orvanespt/designer/qt/NameDialogs.h>
#include <orvanespt/designer/qt/OrvaneE.h>
#include <orvanespt/designer/qt/PreviewReport.h>
#include <orvanespt/designer/qt/ReportDialogs.h>
#include <orvanespt/designer/qt/ReportPreview.h>
#include <orvanespt/designer/qt/SqlDesigner.h>
#include <orvanespt/model/RSourceWalk.h>
#include <orvanespt/platform/Messages.h>

namespace orvane::designer {

namespace {

bool Grab(QWidget& widget, const QString& path) {
    widget.show();
    QApplication::processEvents();
    const bool ok = widget.grab().save(path);
    widget.hide();
    return ok;
}

// A connection manager file with two applications, so the pictures show a
// filled list without touching the user's own manager.
std::string SampleManager(const QTemporaryDir& dir) {
    const std::string path = dir.filePath("connections.ini").toStdString();
    std::ofstream(path) << "[Ventas]\nConnectionString=Provider=SQLite;Data Source=examples/sales/ventas.db\n"
                           "UserID=informes\nPWD=secreto\n[Compras]\nConnectionString=Provider=MSDASQL;DSN=compras\n";
    return path;
}

// The record source editor on its three tabs, the rows of "clientes", the
// SQL zoom and the SQL designer; the data pictures need the example's
// database (scripts/build-example.sh makes it).
int RenderRecordSourcePictures(const std::shared_ptr<Orvane>& report, const std::function<QString(const char*)>& out) {
    auto clientes = report->GetRSource("clientes");
    auto lineas = report->GetRSource("lineas");
    if (!clientes || !lineas) return 0;
    OrvaneUI ui;
    ui.objOrvane = report;
    int written = 0;
    FrmRSource general;
    general.UIRpt = &ui;
    general.Modificar(clientes);
    written += Grab(general, out("origen.png"));
    general.SSTab1->setCurrentIndex(1);
    written += Grab(general, out("origen-dependientes.png"));
    FrmRSource advanced;
    advanced.UIRpt = &ui;
    advanced.Modificar(lineas);
    advanced.SSTab1->setCurrentIndex(2);
    written += Grab(advanced, out("origen-avanzadas.png"));

    DlgZommSQL zoom;
    zoom.Text1->setPlainText(general.txtSQL->toPlainText());
    written += Grab(zoom, out("sql.png"));
    auto cnn = clientes->eCnn.lock();
    if (!cnn || !cnn->OpenConnection()) return written;
    report->IniParameters();
    if (clientes->OpenRecordsource()) {
        FrmPreviewReport preview;
        preview.SetRecordset(clientes->ADORecordset);
        written += Grab(preview, out("vista-previa.png"));
    }
    report->IniParameters();
    SqlDesigner sql;
    for (const auto& p : *report->eParameters)
        sql.Parameters.push_back({p->eType(), p->Name, p->Predef, p->Value.TextOr()});
    sql.Prepare(cnn->ADOCnn, "SELECT nombre, ciudad\nFROM clientes\nWHERE ciudad = 'Madrid'");
    for (int i = 0; i < sql.tvwTablas->topLevelItemCount(); ++i)
        if (sql.tvwTablas->topLevelItem(i)->text(0) == QStringLiteral("clientes"))
            sql.tvwTablas->topLevelItem(i)->setExpanded(true);
    sql.Execute();
    written += Grab(sql, out("disenar-sql.png"));
    return written;
}

// The filter designer on the first record source that has a child (the
// example's orders) with two conditions, the second being edited, and the
// formula designer with that source's fields shown.
int GrabDesigners(const std::shared_ptr<Orvane>& report, const QString& filterPath, const QString& formulaPath) {
    std::shared_ptr<eRSource> parent;
    for (const auto& rs : TopRSources(*report))
        if (!parent && rs->eRSources && rs->eRSources->Count() > 0) parent = rs;
    if (!parent) return 0;
    const auto source = parent->eRSources->Item(1);
    report->IniParameters();
    const auto cnn = source->eCnn.lock();
    if (cnn) cnn->OpenConnection();
    DlgFilterDesign filter;
    filter.SetConnection(cnn);
    filter.SetRecordSource(source);
    filter.SetFilterText("estado <> 'Anulado' AND fecha >= @Desde");
    filter.show();
    filter.lstExpresion->setCurrentRow(1);
    emit filter.lstExpresion->itemClicked(filter.lstExpresion->item(1));
    int written = Grab(filter, filterPath);

    dlgDesignForm formula;
    formula.Report = report;
    formula.FormulaText = "=@" + parent->Name + ".nombre & \" - \" & @Ciudad";
    formula.FormulaFormat = "";
    formula.show();
    if (QTreeWidgetItem* first = formula.TvwSelec->topLevelItem(0)) first->setExpanded(true);
    written += Grab(formula, formulaPath);
    return written;
}

}  // namespace

int RenderScreenshots(const QString& folder, const QString& file) {
    platform::ScopedMessageSink quiet(std::make_shared<platform::RecordingMessages>());
    QTemporaryDir temp;
    setenv("ORVANE_CONNECTIONS_FILE", SampleManager(temp).c_str(), 1);
    QDir().mkpath(folder);
    auto out = [&folder](const char* name) { return QDir(folder).filePath(QString::fromUtf8(name)); };

    OrvaneE window;
    if (!window.OpenFile(file)) return 0;
    auto report = window.Report();
    int written = 0;
    window.tvwOrvane->expandAll();
    window.resize(460, 620);
    written += Grab(window, out("editor.png"));

    if (report->eConections->Count() > 0) {
        frmConnection connection;
        connection.EditedCnn = report->eConections->Item(1);
        connection.Editar(connection.EditedCnn);
        connection.ParentReport = report;
        written += Grab(connection, out("conexion.png"));
    }
    frmParameter parameter;
    auto date = std::make_shared<eParameter>();
    date->Name = "FechaDesde";
    date->eType("strDateTime");
    date->DTFormat = "yyyy-mm-dd";
    date->Predef = "2024-01-01";
    for (const auto& p : *report->eParameters)
        if (p->DTFormat.size() > 0) date = p;
    parameter.Editar(date);
    written += Grab(parameter, out("parametro.png"));

    frmDialog dialog;
    dialog.Agregar();
    dialog.txtName->setText(QStringLiteral("dlgFechas"));
    written += Grab(dialog, out("dialogo.png"));
    frmFormat format;
    if (report->ePrnFormats && report->ePrnFormats->Count() > 0)
        format.Editar(report->ePrnFormats->Item(1));
    else
        format.Agregar();
    written += Grab(format, out("formato.png"));

    if (auto manager = platform::ConnectionManager::Create()) {
        ApplicationsDialog applications(*manager);
        written += Grab(applications, out("aplicaciones.png"));
    }
    written += RenderRecordSourcePictures(report, out);
    DataLinkDialog link;
    link.txtFile->setText(QStringLiteral("examples/sales/ventas.db"));
    written += Grab(link, out("disenar-conexion.png"));
    written += GrabDesigners(report, out("filtro.png"), out("formula.png"));
    frmReporte properties;
    properties.Editar(report);
    written += Grab(properties, out("propiedades-reporte.png"));
    frmCodigo code;
    auto scripted = std::make_shared<Orvane>();
    scripted->Code = "Sub Main()\r\n    ' Se ejecuta antes de imprimir\r\n    MsgBox \"Ventas desde \" & Desde\r\nEnd Sub";
    code.Editar(scripted);
    code.resize(520, 260);
    written += Grab(code, out("codigo.png"));
    dlgProbarReporte preview;
    preview.SetReport(*report, report->LoadedFrom);
    if (preview.Probar()) {
        preview.tvwPasos->expandToDepth(2);
        written += Grab(preview, out("probar-reporte.png"));
    }
    unsetenv("ORVANE_CONNECTIONS_FILE");
    return written;
}

}  // namespace orvane::designer
