#include "designer/qt/OrvaneE.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QMenuBar>
#include <QTreeWidget>
#include <fstream>
#include <sstream>

#include "designer/qt/ApplicationsDialog.h"
#include "designer/qt/QtSeams.h"
#include "designer/qt/QtTreeControl.h"
#include "model/Help.h"
#include "platform/Messages.h"

namespace orvane::designer {

namespace {

// The kinds of item the window adds and edits, by their group node's key.
enum Kind { kConnection, kParameter, kDialog, kPrnFormat, kRSource, kNone };

Kind KindOfGroupKey(const std::string& key) {
    if (key == "@Connections") return kConnection;
    if (key == "@Parameters") return kParameter;
    if (key == "@Dialogs") return kDialog;
    if (key == "@PrnFormats") return kPrnFormat;
    return kNone;
}

bool IsXml(const QString& path) { return path.endsWith(QStringLiteral(".xml"), Qt::CaseInsensitive); }

bool ReadText(const QString& path, std::string& text) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    return !in.bad();
}

// Writes through a temporary file renamed over the target, so a failed
// write leaves the old file as it was.
bool WriteText(const QString& path, const std::string& text) {
    const std::string target = path.toStdString();
    const std::string temp = target + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out || !(out << text) || !out.flush()) {
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), target.c_str()) == 0) return true;
    std::remove(temp.c_str());
    return false;
}

// A new, empty definition, taken as saved. (Reading an empty XML text would
// give the same definition but report a parse error to the user.)
std::shared_ptr<Orvane> EmptyReport() {
    auto report = std::make_shared<Orvane>();
    report->SetHash();
    return report;
}

const QString kFilter = QStringLiteral("Reportes (*.xpd *.xml);;Paquetes de reporte (*.xpd);;Definiciones XML (*.xml)");

}  // namespace

OrvaneE::OrvaneE(QWidget* parent) : QMainWindow(parent) {
    setObjectName("OrvaneE");
    tvwOrvane = new QTreeWidget(this);
    tvwOrvane->setObjectName("tvwOrvane");
    tvwOrvane->setHeaderHidden(true);
    tvwOrvane->setContextMenuPolicy(Qt::CustomContextMenu);
    setCentralWidget(tvwOrvane);
    tree_ = std::make_unique<QtTreeControl>(tvwOrvane);
    tree_->SetImageList(StandardImages());
    SetStandardIcons(ui_);
    ui_.appearance = 1;
    BuildMenus();
    connect(tvwOrvane, &QTreeWidget::currentItemChanged, this, &OrvaneE::EnableAddCommands);
    connect(tvwOrvane, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (auto* item = tvwOrvane->itemAt(at)) tvwOrvane->setCurrentItem(item);
        mnuReporte->popup(tvwOrvane->viewport()->mapToGlobal(at));
    });
    connect(tvwOrvane, &QTreeWidget::itemDoubleClicked, this, [this] { Editar(); });
    ShowReport(EmptyReport(), {});
    resize(460, 560);
}

OrvaneE::~OrvaneE() = default;

void OrvaneE::BuildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&Archivo"));
    mnuNuevo = file->addAction(QStringLiteral("&Nuevo"), QKeySequence::New, this, &OrvaneE::Nuevo);
    mnuAbrir = file->addAction(QStringLiteral("&Abrir..."), QKeySequence::Open, this, &OrvaneE::Abrir);
    mnuGuardar = file->addAction(QStringLiteral("&Guardar"), QKeySequence::Save, this, [this] { Guardar(); });
    mnuGuardarComo = file->addAction(QStringLiteral("Guardar &como..."), QKeySequence::SaveAs, this,
                                     [this] { GuardarComo(); });
    file->addSeparator();
    file->addAction(QStringLiteral("&Salir"), QKeySequence::Quit, this, &QWidget::close);

    mnuReporte = menuBar()->addMenu(QStringLiteral("Reporte"));
    mnuReporte->setObjectName("mnuReporte");
    mnuEditar = mnuReporte->addAction(QStringLiteral("Editar"), this, &OrvaneE::Editar);
    QMenu* add = mnuReporte->addMenu(QStringLiteral("Agregar"));
    add->setObjectName("mnuAgregar");
    add->setToolTipsVisible(true);
    mnuAConexion = add->addAction(QStringLiteral("Conexion"), this, [this] { Add(kConnection); });
    mnuAParametro = add->addAction(QStringLiteral("Parametro"), this, [this] { Add(kParameter); });
    mnuADialogo = add->addAction(QStringLiteral("Dialogo"), this, [this] { Add(kDialog); });
    mnuAPrnFormat = add->addAction(QStringLiteral("PrnFormat"), this, [this] { Add(kPrnFormat); });
    mnuAeRSource = add->addAction(QStringLiteral("RSource"), this, [this] { Add(kRSource); });
    for (QAction* a : {mnuEditar, mnuAConexion, mnuAParametro, mnuADialogo, mnuAPrnFormat, mnuAeRSource,
                       mnuNuevo, mnuAbrir, mnuGuardar, mnuGuardarComo})
        a->setObjectName(a == mnuNuevo         ? "mnuNuevo"
                         : a == mnuAbrir       ? "mnuAbrir"
                         : a == mnuGuardar     ? "mnuGuardar"
                         : a == mnuGuardarComo ? "mnuGuardarComo"
                         : a == mnuEditar      ? "mnuEditar"
                         : a == mnuAConexion   ? "mnuAConexion"
                         : a == mnuAParametro  ? "mnuAParametro"
                         : a == mnuADialogo    ? "mnuADialogo"
                         : a == mnuAPrnFormat  ? "mnuAPrnFormat"
                                               : "mnuAeRSource");
    // Without a manager file the connection editor offers only connection
    // strings; here a person registers the first application and creates it.
    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Herramientas"));
    tools->addAction(QStringLiteral("&Aplicaciones del administrador de conexiones..."), this, [this] {
        ApplicationsDialog::ConfigureDefaultManager(this);
    })->setObjectName("mnuAplicaciones");
    QMenu* help = menuBar()->addMenu(QStringLiteral("Ay&uda"));
    help->addAction(QStringLiteral("&Contenido"), QKeySequence::HelpContents, this, [this] { ShowHelp(this, 0); });
}

void OrvaneE::ShowReport(std::shared_ptr<Orvane> report, const QString& file) {
    report_ = std::move(report);
    file_ = file;
    ui_.objOrvane = report_;
    Refresh();
}

void OrvaneE::Refresh() {
    tree_->Nodes().Clear();
    try {
        ui_.ShowInTvw(*report_, *tree_);
    } catch (const TreeError& e) {
        // Two items of one kind with the same name: the tree stops at the second.
        platform::ShowMessage(std::string("El árbol del reporte está incompleto: ") + e.what(),
                              platform::MsgButtons::Ok, platform::MsgIcon::Exclamation);
    }
    tvwOrvane->expandToDepth(0);
    EnableAddCommands();
    UpdateTitle();
}

void OrvaneE::UpdateTitle() {
    const QString name = file_.isEmpty() ? QStringLiteral("Sin título") : QFileInfo(file_).fileName();
    setWindowTitle(name + QStringLiteral("[*] - Diseñador de reportes"));
    setWindowModified(report_->IsDirty());
}

void OrvaneE::EnableAddCommands() {
    for (QAction* a : {mnuAConexion, mnuAParametro, mnuADialogo, mnuAPrnFormat}) a->setEnabled(false);
    mnuAeRSource->setEnabled(SelectedRSourceOwner().first != nullptr);
    auto node = tree_->SelectedItem();
    if (!node) return;
    Kind kind = KindOfGroupKey(node->Key());
    // An item's node offers to add another of its kind.
    if (auto parent = node->Parent(); kind == kNone && parent) kind = KindOfGroupKey(parent->Key());
    QAction* actions[] = {mnuAConexion, mnuAParametro, mnuADialogo, mnuAPrnFormat};
    if (kind < kRSource) actions[kind]->setEnabled(true);
}

void OrvaneE::Add(int kind) {
    bool added = false;
    if (kind == kConnection) {
        if (auto c = ui_.AddeConnection()) {
            report_->eConections->Add(c);
            c->RPTParent = report_;
            added = true;
        }
    } else if (kind == kParameter) {
        if (auto p = ui_.AddeParameter()) added = (report_->eParameters->Add(p), true);
    } else if (kind == kDialog) {
        if (auto d = ui_.AddeDialog()) added = (report_->eDialogs->Add(d), true);
    } else if (kind == kPrnFormat && report_->ePrnFormats) {
        if (auto f = ui_.AddPrnFormat()) added = (report_->ePrnFormats->Add(f), true);
    } else if (kind == kRSource) {
        const auto [connection, parent] = SelectedRSourceOwner();
        if (connection)
            added = ui_.AddeRSource(connection, parent ? parent->eRSources : connection->eRSources,
                                    parent ? parent->Name : std::string()) != nullptr;
    }
    if (added) Refresh();
}

void OrvaneE::Editar() {
    auto node = tree_->SelectedItem();
    auto parent = node ? node->Parent() : nullptr;
    if (!parent) return;  // the report's own node, or nothing selected
    const std::string name = node->Text();
    auto exact = [&name](const auto& collection) -> decltype(collection->Item(1)) {
        if (collection)
            for (const auto& item : *collection)
                if (item->Name == name) return item;
        return nullptr;
    };
    bool accepted = false;
    switch (KindOfGroupKey(parent->Key())) {
        case kConnection:
            if (auto c = exact(report_->eConections)) accepted = ui_.EditeConnection(c);
            break;
        case kParameter:
            if (auto p = exact(report_->eParameters)) accepted = ui_.EditeParameter(p);
            break;
        case kDialog:
            if (auto d = exact(report_->eDialogs)) accepted = ui_.EditeDialog(d);
            break;
        case kPrnFormat:
            if (auto f = exact(report_->ePrnFormats)) accepted = ui_.EditePrnFormat(f);
            break;
        default:
            if (auto rs = SelectedRSource()) accepted = ui_.EditeRSource(rs);
            break;
    }
    if (accepted) Refresh();
}

std::shared_ptr<eRSource> OrvaneE::SelectedRSource() const {
    auto node = tree_->SelectedItem();
    if (!node || node->Key().rfind("Rst_", 0) != 0) return nullptr;
    const std::string name = node->Key().substr(4);
    if (auto rs = report_->GetRSource(name)) return rs;
    return report_->GetRSourceInDlg(name);
}

// A connection's node adds a record source to the connection; a record
// source's node adds a child to it, on the record source's connection.
std::pair<std::shared_ptr<eConnection>, std::shared_ptr<eRSource>> OrvaneE::SelectedRSourceOwner() const {
    auto node = tree_->SelectedItem();
    if (!node) return {};
    if (auto rs = SelectedRSource()) return {rs->eCnn.lock(), rs};
    if (node->Key().rfind("Cnn_", 0) == 0) return {report_->GetConnection(node->Key().substr(4)), nullptr};
    return {};
}

bool OrvaneE::MayDiscard() {
    if (!report_->IsDirty()) return true;
    return platform::ShowMessage("El reporte tiene cambios sin guardar. ¿Desea descartarlos?",
                                 platform::MsgButtons::YesNo,
                                 platform::MsgIcon::Question) == platform::MsgAnswer::Yes;
}

void OrvaneE::Nuevo() {
    if (!MayDiscard()) return;
    ShowReport(EmptyReport(), {});
}

void OrvaneE::Abrir() {
    if (!MayDiscard()) return;
    const QString path = ChooseFile(this, QStringLiteral("Abrir reporte"), kFilter, false);
    if (!path.isEmpty()) OpenFile(path);
}

bool OrvaneE::OpenFile(const QString& path) {
    auto loaded = std::make_shared<Orvane>();
    bool ok = false;
    if (IsXml(path)) {
        std::string text;
        ok = ReadText(path, text) && loaded->FromXML(text);
    } else {
        ok = loaded->LoadXPDFile(path.toStdString());
    }
    if (!ok) {
        platform::ShowMessage("No se pudo abrir el reporte " + path.toStdString(), platform::MsgButtons::Ok,
                              platform::MsgIcon::Critical);
        return false;
    }
    ShowReport(loaded, QFileInfo(path).absoluteFilePath());
    return true;
}

bool OrvaneE::SaveFile(const QString& path) {
    bool ok = false;
    if (IsXml(path)) {
        ok = WriteText(path, report_->ToXML());
        if (ok) report_->SetHash();
    } else {
        ok = report_->SaveXPDFile(path.toStdString());
    }
    if (!ok) {
        platform::ShowMessage("No se pudo guardar el reporte en " + path.toStdString(), platform::MsgButtons::Ok,
                              platform::MsgIcon::Critical);
        UpdateTitle();
        return false;
    }
    file_ = QFileInfo(path).absoluteFilePath();
    UpdateTitle();
    return true;
}

bool OrvaneE::Guardar() { return file_.isEmpty() ? GuardarComo() : SaveFile(file_); }

bool OrvaneE::GuardarComo() {
    QString path = ChooseFile(this, QStringLiteral("Guardar reporte"), kFilter, true);
    if (path.isEmpty()) return false;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".xpd");
    return SaveFile(path);
}

void OrvaneE::closeEvent(QCloseEvent* event) {
    if (MayDiscard())
        event->accept();
    else
        event->ignore();
}

}  // namespace orvane::designer
