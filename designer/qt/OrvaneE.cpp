#include <orvanespt/designer/qt/OrvaneE.h>

#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>
#include <algorithm>

#include <orvanespt/designer/RenameReferences.h>
#include <orvanespt/designer/qt/ApplicationsDialog.h>
#include <orvanespt/designer/qt/CheckDialog.h>
#include <orvanespt/designer/qt/QtSeams.h>
#include <orvanespt/designer/qt/QtTreeControl.h>
#include <orvanespt/designer/qt/ReportDialogs.h>
#include <orvanespt/designer/qt/ReportPreview.h>
#include <orvanespt/model/Help.h>
#include <orvanespt/model/RSourceWalk.h>
#include <orvanespt/model/eConnection.h>
#include <orvanespt/model/eDialog.h>
#include <orvanespt/model/eParameter.h>
#include <orvanespt/model/ePrnFormat.h>
#include <orvanespt/model/eRSource.h>
#include <orvanespt/platform/FileOps.h>
#include <orvanespt/platform/Messages.h>
#include <orvanespt/platform/Text.h>

namespace orvane::designer {

namespace {

// The kinds of item the window adds and edits, by their group node's key.
enum Kind { kConnection, kParameter, kDialog, kPrnFormat, kRSource, kResource, kCode, kReport, kNone };

Kind KindOfGroupKey(const std::string& key) {
    if (key == "@Connections") return kConnection;
    if (key == "@Parameters") return kParameter;
    if (key == "@Dialogs") return kDialog;
    if (key == "@PrnFormats") return kPrnFormat;
    if (key == "@ResDataCol") return kResource;
    if (key == "@ScriptCode") return kCode;
    return kNone;
}

bool IsXml(const QString& path) { return path.endsWith(QStringLiteral(".xml"), Qt::CaseInsensitive); }

// A new, empty definition, taken as saved. (Reading an empty XML text would
// give the same definition but report a parse error to the user.)
std::shared_ptr<Orvane> EmptyReport() {
    auto report = std::make_shared<Orvane>();
    report->SetHash();
    return report;
}

const QString kFilter = QStringLiteral("Reportes (*.xpd *.xml);;Paquetes de reporte (*.xpd);;Definiciones XML (*.xml)");
const QString kPictureFilter = QStringLiteral(
    "Imágenes (*.png *.jpg *.jpeg *.gif *.bmp *.ico *.wmf *.emf);;Todos los archivos (*)");
const QString kTextFilter = QStringLiteral("Textos (*.txt);;Todos los archivos (*)");
constexpr int kRecentCount = 8;

std::vector<eResData> CopyResources(const Orvane& report) {
    std::vector<eResData> out;
    if (report.ResDataCollection)
        for (const auto& r : *report.ResDataCollection)
            if (r) out.push_back(*r);
    return out;
}

// Pictures are never changed in place: a replaced one is a new object.
bool SameResources(const std::vector<eResData>& a, const std::vector<eResData>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const eResData& x, const eResData& y) {
        return x.Name == y.Name && x.ResType == y.ResType && x.TextData == y.TextData && x.PicData == y.PicData;
    });
}

// Names clash as the definition's lookups find them: trimmed, ignoring case.
bool SameName(const std::string& a, const std::string& b) {
    return text::EqualsIgnoreCase(text::TrimBlanks(a), text::TrimBlanks(b));
}

template <typename T>
bool OtherHasName(const std::shared_ptr<Collection<T>>& list, const void* self, const std::string& name) {
    if (list)
        for (const auto& item : *list)
            if (item && item.get() != self && SameName(item->Name, name)) return true;
    return false;
}

// The texts of the nodes from the top down to item.
QStringList PathOf(const QTreeWidgetItem* item) {
    QStringList path;
    for (; item; item = item->parent()) path.prepend(item->text(0));
    return path;
}

QTreeWidgetItem* FindPath(QTreeWidget* tree, const QStringList& path) {
    QTreeWidgetItem* found = nullptr;
    for (const QString& text : path) {
        const int count = found ? found->childCount() : tree->topLevelItemCount();
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < count && !next; ++i) {
            QTreeWidgetItem* child = found ? found->child(i) : tree->topLevelItem(i);
            if (child->text(0) == text) next = child;
        }
        // Gone (undone, deleted): its nearest owner still there.
        if (!next) return found;
        found = next;
    }
    return found;
}

// Asks for a new name; false when cancelled.
bool AskName(QWidget* parent, const QString& current, QString& chosen) {
    QDialog d(parent);
    d.setObjectName("frmCambiarNombre");
    d.setWindowTitle(QStringLiteral("Cambiar nombre"));
    auto* txtName = new QLineEdit(current, &d);
    txtName->setObjectName("txtName");
    txtName->selectAll();
    auto* cmdOK = new QPushButton(QStringLiteral("&Aceptar"), &d);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);
    auto* cmdCancel = new QPushButton(QStringLiteral("&Cancelar"), &d);
    cmdCancel->setObjectName("cmdCancel");
    QObject::connect(cmdOK, &QPushButton::clicked, &d, [&d, txtName] {
        if (txtName->text().trimmed().isEmpty()) {
            platform::ShowMessage("Indique un nombre.", platform::MsgButtons::Ok, platform::MsgIcon::Information);
            txtName->setFocus();
        } else if (NameAccepted(txtName)) {
            d.accept();
        }
    });
    QObject::connect(cmdCancel, &QPushButton::clicked, &d, &QDialog::reject);
    auto* layout = new QVBoxLayout(&d);
    layout->addWidget(new QLabel(QStringLiteral("Nombre:"), &d));
    layout->addWidget(txtName);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons);
    if (RunModal(d) != QDialog::Accepted) return false;
    chosen = txtName->text().trimmed();
    return true;
}

}  // namespace

struct OrvaneE::Target {
    int kind = kNone;
    int index = 0;  // 1-based position in the collection that holds the item
    std::shared_ptr<eConnection> connection;
    std::shared_ptr<eParameter> parameter;
    std::shared_ptr<eDialog> dialog;
    std::shared_ptr<ePrnFormat> format;
    std::shared_ptr<eRSource> rsource;
    std::shared_ptr<Collection<eRSource>> rsources;  // the record source's collection
    std::shared_ptr<eResData> resource;
    std::shared_ptr<Orvane> report;  // for the report's own node

    std::string* Name() const {
        switch (kind) {
            case kConnection: return &connection->Name;
            case kParameter: return &parameter->Name;
            case kDialog: return &dialog->Name;
            case kPrnFormat: return &format->Name;
            case kRSource: return &rsource->Name;
            case kResource: return &resource->Name;
            case kReport: return &report->Name;
            default: return nullptr;
        }
    }
    const void* Self() const {
        switch (kind) {
            case kConnection: return connection.get();
            case kParameter: return parameter.get();
            case kDialog: return dialog.get();
            case kPrnFormat: return format.get();
            case kResource: return resource.get();
            default: return rsource.get();
        }
    }
};

OrvaneE::OrvaneE(QWidget* parent) : QMainWindow(parent) {
    setObjectName("OrvaneE");
    tvwOrvane = new QTreeWidget(this);
    tvwOrvane->setObjectName("tvwOrvane");
    tvwOrvane->setHeaderHidden(true);
    tvwOrvane->setContextMenuPolicy(Qt::CustomContextMenu);
    setCentralWidget(tvwOrvane);
    tree_ = std::make_unique<QtTreeControl>(tvwOrvane);
    tree_->SetImageList(StandardImages());
    // Items of one kind may share a name in a file; each still gets its node.
    tree_->KeepRepeatedKeys(true);
    SetStandardIcons(ui_);
    // The plain tree: below a connection, a dialog or a record source there
    // are only record sources, in the order of their collection, which is
    // how SelectedTarget finds an item from its node's place.
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
    const QSettings settings = Settings();
    restoreGeometry(settings.value(QStringLiteral("ventana")).toByteArray());
    tvwOrvane->header()->restoreState(settings.value(QStringLiteral("columnas")).toByteArray());
}

OrvaneE::~OrvaneE() = default;

void OrvaneE::BuildMenus() {
    auto named = [](QAction* a, const char* name) {
        a->setObjectName(name);
        return a;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&Archivo"));
    mnuNuevo = named(file->addAction(QStringLiteral("&Nuevo"), QKeySequence::New, this, &OrvaneE::Nuevo), "mnuNuevo");
    mnuAbrir = named(file->addAction(QStringLiteral("&Abrir..."), QKeySequence::Open, this, &OrvaneE::Abrir),
                     "mnuAbrir");
    mnuRecientes = file->addMenu(QStringLiteral("Abrir &reciente"));
    mnuRecientes->setObjectName("mnuRecientes");
    connect(mnuRecientes, &QMenu::aboutToShow, this, &OrvaneE::FillRecent);
    mnuGuardar = named(file->addAction(QStringLiteral("&Guardar"), QKeySequence::Save, this, [this] { Guardar(); }),
                       "mnuGuardar");
    mnuGuardarComo = named(file->addAction(QStringLiteral("Guardar &como..."),
                                           QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), this,
                                           [this] { GuardarComo(); }),
                           "mnuGuardarComo");
    file->addSeparator();
    file->addAction(QStringLiteral("&Salir"), QKeySequence(Qt::CTRL | Qt::Key_Q), this, &QWidget::close);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edición"));
    mnuDeshacer = named(edit->addAction(QStringLiteral("&Deshacer"), QKeySequence::Undo, this, &OrvaneE::Deshacer),
                        "mnuDeshacer");
    mnuRehacer = named(edit->addAction(QStringLiteral("&Rehacer"), this, &OrvaneE::Rehacer), "mnuRehacer");
    mnuRehacer->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});

    mnuReporte = menuBar()->addMenu(QStringLiteral("&Reporte"));
    mnuReporte->setObjectName("mnuReporte");
    mnuEditar = named(mnuReporte->addAction(QStringLiteral("&Editar"), this, &OrvaneE::Editar), "mnuEditar");
    mnuEditar->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    mnuCambiarNombre = named(
        mnuReporte->addAction(QStringLiteral("Cambiar &nombre"), QKeySequence(Qt::Key_F2), this, &OrvaneE::CambiarNombre),
        "mnuCambiarNombre");
    mnuEliminar = named(
        mnuReporte->addAction(QStringLiteral("E&liminar"), QKeySequence(Qt::Key_Delete), this, &OrvaneE::Eliminar),
        "mnuEliminar");
    mnuRevisar = named(mnuReporte->addAction(QStringLiteral("Revisar reporte"), this, &OrvaneE::Revisar), "mnuRevisar");
    mnuProbar = named(mnuReporte->addAction(QStringLiteral("&Probar reporte..."), QKeySequence(Qt::CTRL | Qt::Key_R),
                                            this, &OrvaneE::ProbarReporte),
                      "mnuProbar");
    QMenu* add = mnuReporte->addMenu(QStringLiteral("&Agregar"));
    add->setObjectName("mnuAgregar");
    add->setToolTipsVisible(true);
    mnuAConexion = named(add->addAction(QStringLiteral("Conexion"), this, [this] { Add(kConnection); }), "mnuAConexion");
    mnuAParametro = named(add->addAction(QStringLiteral("Parametro"), this, [this] { Add(kParameter); }),
                          "mnuAParametro");
    mnuADialogo = named(add->addAction(QStringLiteral("Dialogo"), this, [this] { Add(kDialog); }), "mnuADialogo");
    mnuAPrnFormat = named(add->addAction(QStringLiteral("PrnFormat"), this, [this] { Add(kPrnFormat); }),
                          "mnuAPrnFormat");
    mnuAeRSource = named(add->addAction(QStringLiteral("RSource"), this, [this] { Add(kRSource); }), "mnuAeRSource");
    mnuAeRSource->setToolTip(QStringLiteral("Seleccione una conexión o un origen de registros"));
    mnuAImagen = named(add->addAction(QStringLiteral("Imagen desde archivo..."), this, [this] { AddResource(true); }),
                       "mnuAImagen");
    mnuATexto = named(add->addAction(QStringLiteral("Texto desde archivo..."), this, [this] { AddResource(false); }),
                      "mnuATexto");
    mnuGuardarRecurso = named(mnuReporte->addAction(QStringLiteral("&Guardar recurso en archivo..."), this,
                                                    &OrvaneE::SaveResource),
                              "mnuGuardarRecurso");
    // Without a manager file the connection editor offers only connection
    // strings; here a person registers the first application and creates it.
    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Herramientas"));
    tools->addAction(QStringLiteral("&Aplicaciones del administrador de conexiones..."), this, [this] {
        ApplicationsDialog::ConfigureDefaultManager(this);
    })->setObjectName("mnuAplicaciones");
    QMenu* help = menuBar()->addMenu(QStringLiteral("Ay&uda"));
    help->addAction(QStringLiteral("&Contenido"), QKeySequence(Qt::Key_F1), this, [this] { ShowHelp(this, 0); });
}

void OrvaneE::ShowReport(std::shared_ptr<Orvane> report, const QString& file) {
    report_ = std::move(report);
    file_ = file;
    ui_.objOrvane = report_;
    undo_.clear();
    redo_.clear();
    savedResources_ = CopyResources(*report_);
    tree_->Nodes().Clear();  // another report: nothing of the old tree's state carries over
    Refresh();
}

void OrvaneE::Refresh() {
    const bool fresh = tvwOrvane->topLevelItemCount() == 0;
    QList<QStringList> expanded;
    for (QTreeWidgetItemIterator it(tvwOrvane); *it; ++it)
        if ((*it)->isExpanded()) expanded << PathOf(*it);
    const QStringList selected = reveal_.isEmpty() ? PathOf(tvwOrvane->currentItem()) : reveal_;
    reveal_.clear();
    tree_->Nodes().Clear();
    try {
        ui_.ShowInTvw(*report_, *tree_);
    } catch (const TreeError&) {
        // Repeated keys are kept, so only a broken image list gets here.
        platform::ShowMessage("El árbol del reporte está incompleto.", platform::MsgButtons::Ok,
                              platform::MsgIcon::Exclamation);
    }
    if (fresh) tvwOrvane->expandToDepth(0);
    for (const QStringList& path : expanded)
        if (auto* item = FindPath(tvwOrvane, path)) item->setExpanded(true);
    if (auto* item = FindPath(tvwOrvane, selected)) {
        tvwOrvane->setCurrentItem(item);
        tvwOrvane->scrollToItem(item);  // also expands its parents
    }
    EnableAddCommands();
    UpdateTitle();
}

void OrvaneE::UpdateTitle() {
    const QString name = file_.isEmpty() ? QStringLiteral("Sin título") : QFileInfo(file_).fileName();
    setWindowTitle(name + QStringLiteral("[*] - Diseñador de reportes"));
    setWindowModified(Modified());
    mnuDeshacer->setEnabled(!undo_.empty());
    mnuRehacer->setEnabled(!redo_.empty());
}

void OrvaneE::EnableAddCommands() {
    for (QAction* a : {mnuAConexion, mnuAParametro, mnuADialogo, mnuAPrnFormat, mnuAImagen, mnuATexto})
        a->setEnabled(false);
    mnuAeRSource->setEnabled(SelectedRSourceOwner().first != nullptr);
    const int selected = SelectedTarget().kind;
    mnuEditar->setEnabled(selected != kNone);
    mnuCambiarNombre->setEnabled(selected != kNone && selected != kCode);
    mnuEliminar->setEnabled(selected < kCode);
    mnuGuardarRecurso->setEnabled(selected == kResource);
    auto node = tree_->SelectedItem();
    if (!node) return;
    Kind kind = KindOfGroupKey(node->Key());
    // An item's node offers to add another of its kind.
    if (auto parent = node->Parent(); kind == kNone && parent) kind = KindOfGroupKey(parent->Key());
    QAction* actions[] = {mnuAConexion, mnuAParametro, mnuADialogo, mnuAPrnFormat};
    if (kind < kRSource) actions[kind]->setEnabled(true);
    mnuAImagen->setEnabled(kind == kResource);
    mnuATexto->setEnabled(kind == kResource);
}

OrvaneE::Target OrvaneE::SelectedTarget() const {
    // Positions from the group node down to the selected node.
    std::vector<int> path;
    const QTreeWidgetItem* at = tvwOrvane->currentItem();
    for (; at && at->parent() && at->parent()->parent(); at = at->parent())
        path.insert(path.begin(), at->parent()->indexOfChild(const_cast<QTreeWidgetItem*>(at)) + 1);
    Target t;
    if (at && !at->parent()) {
        t.kind = kReport;
        t.report = report_;
        return t;
    }
    auto group = at ? tree_->NodeOf(at) : nullptr;
    if (group && path.empty() && group->Key() == "@ScriptCode") t.kind = kCode;
    if (!at || path.empty()) return t;
    t.index = path[0];
    std::shared_ptr<Collection<eRSource>> owned;
    switch (KindOfGroupKey(group ? group->Key() : std::string())) {
        case kConnection:
            if (!(t.connection = report_->eConections->Item(path[0]))) return {};
            t.kind = kConnection;
            owned = t.connection->eRSources;
            break;
        case kDialog:
            if (!(t.dialog = report_->eDialogs->Item(path[0]))) return {};
            t.kind = kDialog;
            owned = t.dialog->eRSources;
            break;
        case kParameter:
            if (path.size() != 1 || !(t.parameter = report_->eParameters->Item(path[0]))) return {};
            t.kind = kParameter;
            return t;
        case kPrnFormat:
            if (path.size() != 1 || !report_->ePrnFormats || !(t.format = report_->ePrnFormats->Item(path[0])))
                return {};
            t.kind = kPrnFormat;
            return t;
        case kResource:
            if (path.size() != 1 || !(t.resource = report_->ResDataCollection->Item(path[0]))) return {};
            t.kind = kResource;
            return t;
        default:
            return {};
    }
    for (std::size_t i = 1; i < path.size(); ++i) {
        if (!owned || !(t.rsource = owned->Item(path[i]))) return {};
        t.kind = kRSource;
        t.rsources = owned;
        t.index = path[i];
        owned = t.rsource->eRSources;
    }
    return t;
}

std::string OrvaneE::NameTaken(int kind, const void* self, const std::string& name) const {
    switch (kind) {
        case kConnection:
            if (OtherHasName(report_->eConections, self, name)) return "Ya existe una conexión con el mismo nombre.";
            break;
        case kParameter:
            if (OtherHasName(report_->eParameters, self, name)) return "Ya existe un parámetro con el mismo nombre.";
            break;
        // No dialog of the component names these two clashes; the messages follow the others'.
        case kDialog:
            if (OtherHasName(report_->eDialogs, self, name)) return "Ya existe un diálogo con el mismo nombre.";
            break;
        case kPrnFormat:
            if (OtherHasName(report_->ePrnFormats, self, name))
                return "Ya existe un formato de impresión con el mismo nombre.";
            break;
        case kResource:
            // The name is also the file's inside the package.
            if (name.find_first_of("/\\:*?\"<>|") != std::string::npos)
                return "El nombre de un recurso no puede contener / \\ : * ? \" < > |";
            if (OtherHasName(report_->ResDataCollection, self, name))
                return "Ya existe un recurso con el mismo nombre.";
            break;
        case kRSource: {
            // A record source's node is found by its name alone: unique across the definition.
            bool taken = false;
            auto other = [&](const std::shared_ptr<eRSource>& rs, int, bool) {
                taken = rs.get() != self && SameName(rs->Name, name);
                return !taken;
            };
            for (const auto& c : *report_->eConections)
                if (c && !taken) WalkRSources(c->eRSources.get(), other);
            for (const auto& d : *report_->eDialogs)
                if (d && !taken) WalkRSources(d->eRSources.get(), other);
            if (taken) return "Ya existe un origen de registros con el mismo nombre";
            break;
        }
        default:
            break;
    }
    return {};
}

ScopedNameRule OrvaneE::NameRuleFor(int kind, const void* self, const std::string& kept, bool renaming) const {
    // The connection and record source editors check their names themselves,
    // and a parameter added from the record source editor is no record source.
    if (!renaming && kind != kParameter && kind != kDialog && kind != kPrnFormat) return ScopedNameRule({});
    return ScopedNameRule([this, kind, self, kept](const std::string& name) {
        // A name kept as it was is no new clash, even where a file holds two alike.
        return name == kept ? std::string() : NameTaken(kind, self, name);
    });
}

OrvaneE::Snapshot OrvaneE::Take() const { return {report_->ToXML(), CopyResources(*report_), {}, {}}; }

// Keeps the saved sign, so the unsaved mark compares with the file again.
void OrvaneE::Put(const Snapshot& snapshot) {
    const std::string sign = report_->InitialSign;
    report_->FromXML(snapshot.xml);
    report_->InitialSign = sign;
    report_->ResDataCollection = std::make_shared<Collection<eResData>>();
    for (const eResData& r : snapshot.resources) report_->ResDataCollection->Add(std::make_shared<eResData>(r));
}

bool OrvaneE::Modified() const {
    return report_->IsDirty() || !SameResources(CopyResources(*report_), savedResources_);
}

void OrvaneE::Change(const std::function<bool()>& step) {
    Snapshot before = Take();
    before.before = PathOf(tvwOrvane->currentItem());
    if (!step()) Put(before);
    const bool changed = report_->ToXML() != before.xml || !SameResources(CopyResources(*report_), before.resources);
    if (changed) {
        undo_.push_back(std::move(before));
        redo_.clear();
    }
    Refresh();
    if (changed) undo_.back().after = PathOf(tvwOrvane->currentItem());
}

void OrvaneE::Add(int kind) {
    // A new item is revealed and selected: its group, or the owner's node, then its name.
    const QStringList owner = PathOf(tvwOrvane->currentItem());
    auto reveal = [this](QStringList path, const std::string& name) {
        path << QString::fromStdString(name);
        reveal_ = path;
    };
    const QStringList group = owner.mid(0, 2);
    // The name dialogs refuse a name in use and stay open; nothing of the new item exists yet.
    const ScopedNameRule rule = NameRuleFor(kind, nullptr, {});
    Change([&] {
        if (kind == kConnection) {
            // The connection editor refuses a repeated name itself.
            if (auto c = ui_.AddeConnection()) {
                if (report_->AddConnection(c)) reveal(group, c->Name);
            }
        } else if (kind == kParameter) {
            if (auto p = ui_.AddeParameter()) {
                report_->eParameters->Add(p);
                reveal(group, p->Name);
            }
        } else if (kind == kDialog) {
            if (auto d = ui_.AddeDialog()) {
                report_->eDialogs->Add(d);
                reveal(group, d->Name);
            }
        } else if (kind == kPrnFormat && report_->ePrnFormats) {
            if (auto f = ui_.AddPrnFormat()) {
                report_->ePrnFormats->Add(f);
                reveal(group, f->Name);
            }
        } else if (kind == kRSource) {
            // The record source editor refuses a repeated name itself.
            const auto [connection, parent] = SelectedRSourceOwner();
            if (!connection) return true;
            if (auto rs = ui_.AddeRSource(connection, parent ? parent->eRSources : connection->eRSources,
                                          parent ? parent->Name : std::string()))
                reveal(owner, rs->Name);
        }
        return true;
    });
}

void OrvaneE::Editar() {
    const Target t = SelectedTarget();
    if (t.kind == kNone) return;  // a group, or nothing selected
    if (t.kind >= kResource) return EditOwn(t);
    const QStringList at = PathOf(tvwOrvane->currentItem());
    const std::string name = *t.Name();
    const ScopedNameRule rule = NameRuleFor(t.kind, t.Self(), name);
    Change([&] {
        bool accepted = false;
        switch (t.kind) {
            case kConnection: accepted = ui_.EditeConnection(t.connection); break;
            case kParameter: accepted = ui_.EditeParameter(t.parameter); break;
            case kDialog: accepted = ui_.EditeDialog(t.dialog); break;
            case kPrnFormat: accepted = ui_.EditePrnFormat(t.format); break;
            default: accepted = ui_.EditeRSource(t.rsource); break;
        }
        // Cancelled: what the dialog wrote before (a test query, a refresh) stays.
        if (!accepted) return true;
        if (*t.Name() != name) OfferReferenceRename(t, name);
        reveal_ = at.mid(0, at.size() - 1) << QString::fromStdString(*t.Name());
        return true;
    });
}

void OrvaneE::CambiarNombre() {
    const Target t = SelectedTarget();
    if (t.kind == kNone) return;
    QString name;
    {
        const ScopedNameRule rule = NameRuleFor(t.kind, t.Self(), *t.Name(), true);
        if (!AskName(this, QString::fromStdString(*t.Name()), name) || name.toStdString() == *t.Name()) return;
    }
    const QStringList at = PathOf(tvwOrvane->currentItem());
    const std::string old = *t.Name();
    Change([&] {
        *t.Name() = name.toStdString();
        OfferReferenceRename(t, old);
        reveal_ = at.mid(0, at.size() - 1) << name;  // the report's own node: its name alone
        return true;
    });
}

void OrvaneE::OfferReferenceRename(const Target& t, const std::string& from) {
    if (t.kind != kParameter && t.kind != kRSource) return;
    const std::string& to = *t.Name();
    auto rename = [&](bool apply) {
        return t.kind == kParameter ? RenameParameterReferences(*report_, from, to, apply)
                                    : RenameRSourceReferences(*report_, from, to, apply);
    };
    const std::string question = RenameQuestion(rename(false), from, to);
    if (question.empty()) return;
    if (platform::ShowMessage(question, platform::MsgButtons::YesNo, platform::MsgIcon::Question) ==
        platform::MsgAnswer::Yes)
        rename(true);
}

void OrvaneE::Eliminar() {
    const Target t = SelectedTarget();
    if (t.kind >= kCode) return;  // the report, its code, a group: nothing to delete
    static const char* const what[] = {"la conexión", "el parámetro", "el diálogo", "el formato de impresión",
                                       "el origen de registros", "el recurso"};
    // What goes with the item: the record sources below it.
    int dependents = 0;
    auto count = [&dependents](const std::shared_ptr<eRSource>&, int, bool) { return ++dependents > 0; };
    if (t.kind == kConnection) WalkRSources(t.connection->eRSources.get(), count);
    if (t.kind == kDialog) WalkRSources(t.dialog->eRSources.get(), count);
    if (t.kind == kRSource) WalkRSources(t.rsource->eRSources.get(), count);
    const std::string with = dependents == 0   ? ""
                             : dependents == 1 ? " y su origen dependiente"
                                               : " y sus " + std::to_string(dependents) + " orígenes dependientes";
    // Enter must not delete: No is the default answer.
    const std::string question =
        std::string("¿Desea eliminar ") + what[t.kind] + " \"" + *t.Name() + "\"" + with + "?";
    if (platform::ShowMessage(question, platform::MsgButtons::YesNo, platform::MsgIcon::Question, {},
                              platform::MsgAnswer::No) != platform::MsgAnswer::Yes)
        return;
    const QStringList at = PathOf(tvwOrvane->currentItem());
    reveal_ = at.mid(0, at.size() - 1);  // the owner's node
    Change([&] {
        switch (t.kind) {
            case kConnection: report_->eConections->Remove(t.index); break;
            case kParameter: report_->eParameters->Remove(t.index); break;
            case kDialog: report_->eDialogs->Remove(t.index); break;
            case kPrnFormat: report_->ePrnFormats->Remove(t.index); break;
            case kResource: report_->ResDataCollection->Remove(t.index); break;
            default: t.rsources->Remove(t.index); break;
        }
        return true;
    });
}

void OrvaneE::EditOwn(const Target& t) {
    const QStringList at = PathOf(tvwOrvane->currentItem());
    Change([&] {
        if (t.kind == kReport) {
            frmReporte d(this);
            d.Editar(report_);
            if (RunModal(d) == QDialog::Accepted) reveal_ = QStringList{QString::fromStdString(report_->Name)};
        } else if (t.kind == kCode) {
            frmCodigo d(this);
            d.Editar(report_);
            RunModal(d);
        } else {
            const bool picture = t.resource->ResType == rtPicture;
            const QString path = ChooseFile(this, QStringLiteral("Reemplazar desde archivo"),
                                            picture ? kPictureFilter : kTextFilter, false);
            // A file refused keeps the resource as it was, after the loader's message.
            if (!path.isEmpty()) {
                // Pictures are shared with the undo steps: a replaced one is a new object.
                auto replaced = std::make_shared<eResData>(*t.resource);
                if (picture ? replaced->LoadPictureFromFile(path.toStdString())
                            : replaced->LoadTextFromFile(path.toStdString()))
                    *t.resource = *replaced;
            }
        }
        return true;
    });
}

bool OrvaneE::AddResource(bool picture) {
    const QString path = ChooseFile(this, picture ? QStringLiteral("Agregar imagen") : QStringLiteral("Agregar texto"),
                                    picture ? kPictureFilter : kTextFilter, false);
    if (path.isEmpty()) return false;
    eResData loaded;
    if (!(picture ? loaded.LoadPictureFromFile(path.toStdString()) : loaded.LoadTextFromFile(path.toStdString())))
        return false;
    // Named after the file; a name in use gets the first free number after it.
    const std::string stem = QFileInfo(path).completeBaseName().toStdString();
    std::string name = stem.empty() ? report_->UniqueResDataName() : stem;
    for (int n = 2; !NameTaken(kResource, nullptr, name).empty(); ++n) name = stem + std::to_string(n);
    loaded.Name = name;
    Change([&] {
        if (auto added = report_->NewResData(name)) *added = loaded;
        reveal_ = QStringList{QString::fromStdString(report_->Name), QStringLiteral("Imágenes y textos"),
                              QString::fromStdString(name)};
        return true;
    });
    return true;
}

bool OrvaneE::SaveResource() {
    const Target t = SelectedTarget();
    if (t.kind != kResource) return false;
    const eResData& r = *t.resource;
    const bool picture = r.ResType == rtPicture;
    if (picture && !r.PicData) return false;
    const std::string ext = picture ? std::string(r.PicData->Extension()) : "txt";
    const QString start = QDir(file_.isEmpty() ? QDir::homePath() : QFileInfo(file_).absolutePath())
                              .filePath(QString::fromStdString(r.Name + "." + ext));
    const QString path = ChooseFile(this, QStringLiteral("Guardar recurso"),
                                    picture ? kPictureFilter : kTextFilter, true, start);
    if (path.isEmpty()) return false;
    const platform::FileResult saved =
        platform::SaveWholeFile(path.toStdString(), picture ? r.PicData->Bytes() : r.TextData);
    if (saved.ok()) return true;
    platform::ShowMessage("No se pudo guardar el recurso: " + saved.Message(), platform::MsgButtons::Ok,
                          platform::MsgIcon::Critical);
    return false;
}

void OrvaneE::ProbarReporte() {
    dlgProbarReporte d(this);
    d.SetReport(*report_, report_->LoadedFrom);
    RunModal(d);
}

void OrvaneE::Revisar() {
    // Only the definition is read: opening the connections from here would
    // make a person wait on every database the report names.
    const std::vector<data::Finding> findings = data::CheckReport(*report_);
    if (findings.empty()) {
        platform::ShowMessage("No se encontraron errores en el reporte.", platform::MsgButtons::Ok,
                              platform::MsgIcon::Information);
        return;
    }
    DlgRevisar dialog(this);
    dialog.SetFindings(findings);
    if (RunModal(dialog) != QDialog::Accepted || dialog.Chosen() < 0) return;
    if (auto node = tree_->Nodes().Item(NodeKeyOf(findings[static_cast<std::size_t>(dialog.Chosen())].place)))
        tree_->SelectedItem(node);
}

void OrvaneE::Deshacer() {
    if (undo_.empty()) return;
    Snapshot step = std::move(undo_.back());
    undo_.pop_back();
    Snapshot now = Take();
    now.before = step.before;
    now.after = step.after;
    redo_.push_back(std::move(now));
    Put(step);
    reveal_ = step.before;
    Refresh();
}

void OrvaneE::Rehacer() {
    if (redo_.empty()) return;
    Snapshot step = std::move(redo_.back());
    redo_.pop_back();
    Snapshot now = Take();
    now.before = step.before;
    now.after = step.after;
    undo_.push_back(std::move(now));
    Put(step);
    reveal_ = step.after;
    Refresh();
}

std::shared_ptr<eRSource> OrvaneE::SelectedRSource() const { return SelectedTarget().rsource; }

// A connection's node adds a record source to the connection; a record
// source's node adds a child to it, on the record source's connection.
std::pair<std::shared_ptr<eConnection>, std::shared_ptr<eRSource>> OrvaneE::SelectedRSourceOwner() const {
    const Target t = SelectedTarget();
    if (t.kind == kConnection) return {t.connection, nullptr};
    if (t.kind == kRSource) return {t.rsource->eCnn.lock(), t.rsource};
    return {};
}

bool OrvaneE::MaySwitch() {
    if (!Modified()) return true;
    switch (platform::ShowMessage("El reporte tiene cambios sin guardar. ¿Desea guardarlos?",
                                  platform::MsgButtons::SaveDiscardCancel, platform::MsgIcon::Exclamation, {},
                                  platform::MsgAnswer::Save)) {
        case platform::MsgAnswer::Save:
            return Guardar();
        case platform::MsgAnswer::Discard:
            return true;
        default:
            return false;
    }
}

void OrvaneE::Nuevo() {
    if (!MaySwitch()) return;
    ShowReport(EmptyReport(), {});
}

void OrvaneE::Abrir() {
    if (!MaySwitch()) return;
    const QString path = ChooseFile(this, QStringLiteral("Abrir reporte"), kFilter, false, StartPath(false));
    if (!path.isEmpty()) OpenFile(path);
}

QString OrvaneE::StartPath(bool save) const {
    if (!file_.isEmpty()) return save ? file_ : QFileInfo(file_).absolutePath();
    if (!save || report_->Name.empty()) return {};
    return QDir::home().filePath(QString::fromStdString(report_->Name) + QStringLiteral(".xpd"));
}

bool OrvaneE::OpenFile(const QString& path) {
    const std::string file = path.toStdString();
    auto loaded = std::make_shared<Orvane>();
    DefinitionRead read;
    std::string why;
    if (!IsXml(path)) {
        read = loaded->ReadXPDFile(file);
    } else if (std::string text; !QFileInfo::exists(path)) {
        read.status = ReadStatus::NoFile;
    } else if (const platform::FileResult got = platform::ReadWholeFile(file, text); !got.ok()) {
        why = got.reason + ".";
    } else {
        read = loaded->ReadXML(text);
        // Relative files in its connection strings are beside it, as for a package.
        loaded->LoadedFrom = QFileInfo(path).absoluteFilePath().toStdString();
    }
    if (why.empty()) why = read.Reason();
    if (!why.empty()) {
        platform::ShowMessage("No se pudo abrir el reporte " + file + ": " + why, platform::MsgButtons::Ok,
                              platform::MsgIcon::Critical);
        return false;
    }
    // What the package could not give back does not stop the opening; say so.
    if (!read.archiveError.empty())
        platform::ShowMessage(file + ": " + read.archiveError, platform::MsgButtons::Ok, platform::MsgIcon::Exclamation);
    for (const auto& entry : read.refused)
        platform::ShowMessage(file + ": " + entry.name + ": " + entry.reason, platform::MsgButtons::Ok,
                              platform::MsgIcon::Exclamation);
    ShowReport(loaded, QFileInfo(path).absoluteFilePath());
    Remember(file_);
    return true;
}

bool OrvaneE::SaveFile(const QString& path) {
    const std::string file = path.toStdString();
    const DefinitionWrite written = IsXml(path) ? report_->WriteXMLFile(file) : report_->WriteXPDFile(file);
    for (const auto& name : written.skipped)
        platform::ShowMessage("El recurso \"" + name + "\" no se guardó: su nombre no sirve como nombre de archivo.",
                              platform::MsgButtons::Ok, platform::MsgIcon::Exclamation);
    if (!written.ok()) {
        platform::ShowMessage("No se pudo guardar el reporte: " + written.file.Message(), platform::MsgButtons::Ok,
                              platform::MsgIcon::Critical);
        UpdateTitle();
        return false;
    }
    savedResources_ = CopyResources(*report_);
    file_ = QFileInfo(path).absoluteFilePath();
    Remember(file_);
    UpdateTitle();
    return true;
}

bool OrvaneE::Guardar() { return file_.isEmpty() ? GuardarComo() : SaveFile(file_); }

bool OrvaneE::GuardarComo() {
    QString path = ChooseFile(this, QStringLiteral("Guardar reporte"), kFilter, true, StartPath(true));
    if (path.isEmpty()) return false;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".xpd");
    return SaveFile(path);
}

QSettings OrvaneE::Settings() { return QSettings(QStringLiteral("OrvaneSpt"), QStringLiteral("orvane-designer")); }

QStringList OrvaneE::RecentFiles() const { return Settings().value(QStringLiteral("recientes")).toStringList(); }

void OrvaneE::Remember(const QString& file) {
    QStringList files = RecentFiles();
    files.removeAll(file);
    files.prepend(file);
    while (files.size() > kRecentCount) files.removeLast();
    Settings().setValue(QStringLiteral("recientes"), files);
}

void OrvaneE::FillRecent() {
    mnuRecientes->clear();
    const QStringList files = RecentFiles();
    if (files.isEmpty()) mnuRecientes->addAction(QStringLiteral("(ninguno)"))->setEnabled(false);
    for (int i = 0; i < files.size(); ++i) {
        const QString file = files.at(i);
        mnuRecientes->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(file), this, [this, file] {
            if (MaySwitch()) OpenFile(file);
        });
    }
}

void OrvaneE::closeEvent(QCloseEvent* event) {
    if (!MaySwitch()) {
        event->ignore();
        return;
    }
    QSettings settings = Settings();
    settings.setValue(QStringLiteral("ventana"), saveGeometry());
    settings.setValue(QStringLiteral("columnas"), tvwOrvane->header()->saveState());
    event->accept();
}

}  // namespace orvane::designer
