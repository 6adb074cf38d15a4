#include <orvanespt/designer/qt/OrvaneE.h>

#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>
#include <algorithm>
#include <fstream>
#include <sstream>

#include <orvanespt/designer/RenameReferences.h>
#include <orvanespt/designer/qt/ApplicationsDialog.h>
#include <orvanespt/designer/qt/CheckDialog.h>
#include <orvanespt/designer/qt/QtSeams.h>
#include <orvanespt/designer/qt/QtTreeControl.h>
#include <orvanespt/model/Help.h>
#include <orvanespt/model/RSourceWalk.h>
#include <orvanespt/model/eConnection.h>
#include <orvanespt/model/eDialog.h>
#include <orvanespt/model/eParameter.h>
#include <orvanespt/model/ePrnFormat.h>
#include <orvanespt/model/eRSource.h>
#include <orvanespt/model/XmlText.h>
#include <orvanespt/platform/Messages.h>
#include <orvanespt/platform/Text.h>
#include <orvanespt/platform/Zip.h>

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
constexpr int kRecentCount = 8;

// True when the text's root element is a report definition's. Only the
// prologue is read: comments, processing instructions and a document type
// may come before the root. Any encoding the reader reads will do.
bool HasReportRoot(std::string_view xml) {
    const std::string s = XmlMarkupText(xml);
    std::size_t at = 0;
    while ((at = s.find('<', at)) != std::string::npos) {
        const std::string_view rest = std::string_view(s).substr(at);
        std::size_t end = std::string::npos;
        if (rest.substr(0, 4) == "<!--") {
            end = s.find("-->", at);
        } else if (rest.substr(0, 2) == "<?") {
            end = s.find("?>", at);
        } else if (rest.substr(0, 2) == "<!") {
            const std::size_t subset = s.find('[', at), close = s.find('>', at);
            end = subset < close ? s.find("]", subset) : close;
        } else {
            const std::size_t stop = s.find_first_of(" \t\r\n/>", at + 1);
            if (stop == std::string::npos) return false;
            return text::EqualsIgnoreCase(std::string_view(s).substr(at + 1, stop - at - 1), "Orvane");
        }
        if (end == std::string::npos) return false;
        at = end + 1;
    }
    return false;
}

// Why the file at path holds no report definition to open, or "" when it
// does; text receives the definition XML.
std::string WhyNotAReport(const QString& path, std::string& text) {
    if (IsXml(path)) {
        if (!ReadText(path, text)) return "no se puede leer el archivo.";
    } else {
        const platform::zip::ReadResult archive = platform::zip::ReadArchive(path.toStdString());
        if (!archive.opened) return "no es un paquete de reporte.";
        if (!archive.error.empty()) return "el paquete está dañado.";
        const auto source = std::find_if(archive.entries.begin(), archive.entries.end(), [](const auto& e) {
            return text::EqualsIgnoreCase(e.name, "source.xml");
        });
        if (source == archive.entries.end()) return "el paquete no contiene una definición de reporte.";
        text = source->data;
    }
    return HasReportRoot(text) ? std::string() : "el archivo no contiene una definición de reporte.";
}

// Names clash as the definition's lookups find them: trimmed, ignoring case.
bool SameName(const std::string& a, const std::string& b) {
    return text::EqualsIgnoreCase(text::TrimBlanks(a), text::TrimBlanks(b));
}

template <typename T>
bool OtherHasName(const std::shared_ptr<Collection<T>>& list, const T* self, const std::string& name) {
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
        if (!next) return nullptr;
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
    QObject::connect(cmdOK, &QPushButton::clicked, &d, &QDialog::accept);
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

    std::string* Name() const {
        switch (kind) {
            case kConnection: return &connection->Name;
            case kParameter: return &parameter->Name;
            case kDialog: return &dialog->Name;
            case kPrnFormat: return &format->Name;
            case kRSource: return &rsource->Name;
            default: return nullptr;
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
    setWindowModified(report_->IsDirty());
    mnuDeshacer->setEnabled(!undo_.empty());
    mnuRehacer->setEnabled(!redo_.empty());
}

void OrvaneE::EnableAddCommands() {
    for (QAction* a : {mnuAConexion, mnuAParametro, mnuADialogo, mnuAPrnFormat}) a->setEnabled(false);
    mnuAeRSource->setEnabled(SelectedRSourceOwner().first != nullptr);
    const bool item = SelectedTarget().kind != kNone;
    for (QAction* a : {mnuEditar, mnuCambiarNombre, mnuEliminar}) a->setEnabled(item);
    auto node = tree_->SelectedItem();
    if (!node) return;
    Kind kind = KindOfGroupKey(node->Key());
    // An item's node offers to add another of its kind.
    if (auto parent = node->Parent(); kind == kNone && parent) kind = KindOfGroupKey(parent->Key());
    QAction* actions[] = {mnuAConexion, mnuAParametro, mnuADialogo, mnuAPrnFormat};
    if (kind < kRSource) actions[kind]->setEnabled(true);
}

OrvaneE::Target OrvaneE::SelectedTarget() const {
    // Positions from the group node down to the selected node.
    std::vector<int> path;
    const QTreeWidgetItem* at = tvwOrvane->currentItem();
    for (; at && at->parent() && at->parent()->parent(); at = at->parent())
        path.insert(path.begin(), at->parent()->indexOfChild(const_cast<QTreeWidgetItem*>(at)) + 1);
    if (!at || !at->parent() || path.empty()) return {};
    auto group = tree_->NodeOf(at);
    Target t;
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

std::string OrvaneE::NameTaken(const Target& t) const {
    switch (t.kind) {
        case kConnection:
            if (OtherHasName(report_->eConections, t.connection.get(), t.connection->Name))
                return "Ya existe una conexión con el mismo nombre.";
            break;
        case kParameter:
            if (OtherHasName(report_->eParameters, t.parameter.get(), t.parameter->Name))
                return "Ya existe un parámetro con el mismo nombre.";
            break;
        // No dialog of the component names these two clashes; the messages follow the others'.
        case kDialog:
            if (OtherHasName(report_->eDialogs, t.dialog.get(), t.dialog->Name))
                return "Ya existe un diálogo con el mismo nombre.";
            break;
        case kPrnFormat:
            if (OtherHasName(report_->ePrnFormats, t.format.get(), t.format->Name))
                return "Ya existe un formato de impresión con el mismo nombre.";
            break;
        case kRSource: {
            // A record source's node is found by its name alone: unique across the definition.
            bool taken = false;
            auto other = [&t, &taken](const std::shared_ptr<eRSource>& rs, int, bool) {
                taken = rs != t.rsource && SameName(rs->Name, t.rsource->Name);
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

void OrvaneE::Change(const std::function<bool()>& step) {
    const std::string before = report_->ToXML();
    if (!step()) Restore(before);
    if (report_->ToXML() != before) {
        undo_.push_back(before);
        redo_.clear();
    }
    Refresh();
}

void OrvaneE::Restore(const std::string& xml) {
    const std::string sign = report_->InitialSign;
    report_->FromXML(xml);
    report_->InitialSign = sign;
}

void OrvaneE::Add(int kind) {
    // A new item is revealed and selected: its group, or the owner's node, then its name.
    const QStringList owner = PathOf(tvwOrvane->currentItem());
    auto reveal = [this](QStringList path, const std::string& name) {
        path << QString::fromStdString(name);
        reveal_ = path;
    };
    auto refused = [](const std::string& message) {
        platform::ShowMessage(message, platform::MsgButtons::Ok, platform::MsgIcon::Information);
        return true;
    };
    const QStringList group = owner.mid(0, 2);
    Change([&] {
        if (kind == kConnection) {
            // The connection editor refuses a repeated name itself.
            if (auto c = ui_.AddeConnection()) {
                report_->eConections->Add(c);
                c->RPTParent = report_;
                reveal(group, c->Name);
            }
        } else if (kind == kParameter) {
            auto p = ui_.AddeParameter();
            if (!p) return true;
            Target t;
            t.kind = kParameter;
            t.parameter = p;
            if (auto taken = NameTaken(t); !taken.empty()) return refused(taken);
            report_->eParameters->Add(p);
            reveal(group, p->Name);
        } else if (kind == kDialog) {
            auto d = ui_.AddeDialog();
            if (!d) return true;
            Target t;
            t.kind = kDialog;
            t.dialog = d;
            if (auto taken = NameTaken(t); !taken.empty()) return refused(taken);
            report_->eDialogs->Add(d);
            reveal(group, d->Name);
        } else if (kind == kPrnFormat && report_->ePrnFormats) {
            auto f = ui_.AddPrnFormat();
            if (!f) return true;
            Target t;
            t.kind = kPrnFormat;
            t.format = f;
            if (auto taken = NameTaken(t); !taken.empty()) return refused(taken);
            report_->ePrnFormats->Add(f);
            reveal(group, f->Name);
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
    if (t.kind == kNone) return;  // the report's own node, a group, or nothing selected
    const QStringList at = PathOf(tvwOrvane->currentItem());
    const std::string name = *t.Name();
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
        // A name kept as it was is no new clash, even where a file holds two alike.
        if (auto taken = *t.Name() == name ? std::string() : NameTaken(t); !taken.empty()) {
            platform::ShowMessage(taken, platform::MsgButtons::Ok, platform::MsgIcon::Information);
            return false;
        }
        if (*t.Name() != name) OfferReferenceRename(t, name);
        reveal_ = at.mid(0, at.size() - 1) << QString::fromStdString(*t.Name());
        return true;
    });
}

void OrvaneE::CambiarNombre() {
    const Target t = SelectedTarget();
    if (t.kind == kNone) return;
    QString name;
    if (!AskName(this, QString::fromStdString(*t.Name()), name) || name.toStdString() == *t.Name()) return;
    if (name.isEmpty()) {
        platform::ShowMessage("Indique un nombre.", platform::MsgButtons::Ok, platform::MsgIcon::Information);
        return;
    }
    const QStringList at = PathOf(tvwOrvane->currentItem());
    const std::string old = *t.Name();
    Change([&] {
        *t.Name() = name.toStdString();
        if (auto taken = NameTaken(t); !taken.empty()) {
            platform::ShowMessage(taken, platform::MsgButtons::Ok, platform::MsgIcon::Information);
            return false;
        }
        OfferReferenceRename(t, old);
        reveal_ = at.mid(0, at.size() - 1) << name;
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
    if (t.kind == kNone) return;
    static const char* const what[] = {"la conexión", "el parámetro", "el diálogo", "el formato de impresión",
                                       "el origen de registros"};
    // Enter must not delete: No is the default answer.
    const std::string question = std::string("¿Desea eliminar ") + what[t.kind] + " \"" + *t.Name() + "\"?";
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
            default: t.rsources->Remove(t.index); break;
        }
        return true;
    });
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
    redo_.push_back(report_->ToXML());
    Restore(undo_.back());
    undo_.pop_back();
    Refresh();
}

void OrvaneE::Rehacer() {
    if (redo_.empty()) return;
    undo_.push_back(report_->ToXML());
    Restore(redo_.back());
    redo_.pop_back();
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
    if (!report_->IsDirty()) return true;
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
    std::string text;
    std::string why = WhyNotAReport(path, text);
    auto loaded = std::make_shared<Orvane>();
    if (why.empty()) {
        // The readers tell their own troubles; a failure becomes part of one message.
        auto heard = std::make_shared<platform::RecordingMessages>();
        bool ok = false;
        {
            platform::ScopedMessageSink quiet(heard);
            ok = IsXml(path) ? loaded->FromXML(text) : loaded->LoadXPDFile(path.toStdString());
        }
        const auto taken = heard->Taken();
        if (!ok) why = taken.empty() ? "no se pudo leer." : taken.front().text;
        for (const auto& m : ok ? taken : decltype(taken){}) platform::ShowMessage(m.text, m.buttons, m.icon);
    }
    if (!why.empty()) {
        platform::ShowMessage("No se pudo abrir el reporte " + path.toStdString() + ": " + why,
                              platform::MsgButtons::Ok, platform::MsgIcon::Critical);
        return false;
    }
    ShowReport(loaded, QFileInfo(path).absoluteFilePath());
    Remember(file_);
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

QStringList OrvaneE::RecentFiles() const {
    return QSettings(QStringLiteral("OrvaneSpt"), QStringLiteral("orvane-designer"))
        .value(QStringLiteral("recientes"))
        .toStringList();
}

void OrvaneE::Remember(const QString& file) {
    QStringList files = RecentFiles();
    files.removeAll(file);
    files.prepend(file);
    while (files.size() > kRecentCount) files.removeLast();
    QSettings(QStringLiteral("OrvaneSpt"), QStringLiteral("orvane-designer")).setValue(QStringLiteral("recientes"), files);
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
    if (MaySwitch())
        event->accept();
    else
        event->ignore();
}

}  // namespace orvane::designer
