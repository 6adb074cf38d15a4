#include <orvanespt/designer/qt/FrmRSource.h>

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <array>
#include <utility>

#include <orvanespt/data/SchemaLists.h>
#include <orvanespt/data/ado/Connection.h>
#include <orvanespt/data/ado/Recordset.h>
#include <orvanespt/designer/OrvaneUI.h>
#include <orvanespt/designer/qt/FilterDesign.h>
#include <orvanespt/designer/qt/PreviewReport.h>
#include <orvanespt/designer/qt/QtSeams.h>
#include <orvanespt/designer/qt/SqlDesigner.h>
#include <orvanespt/model/Help.h>
#include <orvanespt/platform/Messages.h>
#include <orvanespt/platform/RuntimeServices.h>
#include <orvanespt/platform/Secrets.h>
#include <orvanespt/platform/Text.h>

namespace orvane::designer {
using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;
using platform::ShowMessage;
using text::Lower;
using text::TrimBlanks;

namespace {

constexpr int kHelpId = 10038;

// The entries of the cursor pickers and the values stored for them.
struct Choice {
    const char* text;
    const char* value;
};
constexpr std::array<Choice, 2> kLocations{{{"En el Cliente", "3"}, {"En el Servidor", "2"}}};
constexpr std::array<Choice, 4> kCursorTypes{
    {{"Siempre hacia adelante", "0"}, {"Conjunto de claves", "1"}, {"Dinámico", "2"}, {"Estático", "3"}}};
constexpr std::array<Choice, 4> kLockTypes{
    {{"Solo lectura", "1"}, {"Pesimista", "2"}, {"Optimista", "3"}, {"Optimista en lote", "4"}}};

// What a failed test of the query shows behind the message: the database's
// reason and the statement as it was sent (or, when it never got that far,
// as it would have been), without passwords.
std::string FailureDetails(const std::string& reason, const std::string& sent, const std::string& wouldSend) {
    std::string details = "Motivo: " + (reason.empty() ? std::string("desconocido") : reason);
    if (!sent.empty())
        details += "\n\nSentencia enviada:\n" + sent;
    else if (!wouldSend.empty())
        details += "\n\nSentencia (no llegó a enviarse):\n" + wouldSend;
    return platform::ScrubPasswords(details);
}

// A picker over a combo box: its entries change, the text shown stays as it
// was, and nothing of it reaches the "selected by use" handlers.
class ComboPicker : public data::Picker {
public:
    explicit ComboPicker(QComboBox* combo) : combo_(combo), quiet_(combo), text_(combo->currentText()) {}
    ~ComboPicker() override {
        if (combo_->isEditable()) combo_->setEditText(text_);
    }
    ComboPicker(const ComboPicker&) = delete;
    ComboPicker& operator=(const ComboPicker&) = delete;
    void Clear() override { combo_->clear(); }
    void AddItem(const std::string& text) override { combo_->addItem(QString::fromStdString(text)); }

private:
    QComboBox* combo_;
    QSignalBlocker quiet_;
    QString text_;
};

template <typename W>
W* Named(W* widget, const char* name) {
    widget->setObjectName(QString::fromUtf8(name));
    return widget;
}

QComboBox* Picker(QWidget* parent, const char* name) {
    auto* combo = Named(new QComboBox(parent), name);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
}

template <std::size_t N>
QComboBox* FixedPicker(QWidget* parent, const char* name, const std::array<Choice, N>& choices) {
    auto* combo = Named(new QComboBox(parent), name);
    for (const Choice& c : choices) combo->addItem(QString::fromUtf8(c.text));
    return combo;
}

// The entry whose stored value is value; -1 when none is.
template <std::size_t N>
int EntryOf(const std::array<Choice, N>& choices, const std::string& value) {
    for (std::size_t i = 0; i < N; ++i)
        if (value == choices[i].value) return static_cast<int>(i);
    return -1;
}

// Writes the value of the entry the picker shows; a text that is no entry
// leaves the property as it was.
template <std::size_t N>
void StoreChoice(const QComboBox* combo, const std::array<Choice, N>& choices, std::string& property) {
    const QString shown = combo->currentText();
    for (const Choice& c : choices)
        if (shown == QString::fromUtf8(c.text)) property = c.value;
}

std::string Text(const QLineEdit* edit) {
    return edit->text().toStdString();
}
std::string Text(const QComboBox* combo) {
    return combo->currentText().toStdString();
}
QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The entries of the list, each trimmed, joined by ", ".
std::string Joined(const QListWidget* list) {
    std::string out;
    for (int i = 0; i < list->count(); ++i) {
        if (i > 0) out += ", ";
        out += TrimBlanks(list->item(i)->text().toStdString());
    }
    return out;
}

bool InList(const QListWidget* list, const QString& name) {
    const std::string wanted = Lower(TrimBlanks(name.toStdString()));
    for (int i = 0; i < list->count(); ++i)
        if (Lower(TrimBlanks(list->item(i)->text().toStdString())) == wanted) return true;
    return false;
}

QLabel* Caption(const char* text, QWidget* buddy) {
    auto* label = new QLabel(QString::fromUtf8(text), buddy->parentWidget());
    label->setBuddy(buddy);
    return label;
}

QToolButton* ImageButton(QWidget* parent, const char* name, const char* text, const char* tip) {
    auto* b = Named(new QToolButton(parent), name);
    b->setText(QString::fromUtf8(text));
    b->setToolTip(QString::fromUtf8(tip));
    b->setMinimumWidth(36);
    return b;
}

}  // namespace

FrmRSource::FrmRSource(QWidget* parent) : QDialog(parent) {
    setObjectName("frmRSource");
    SetHelpTopic(*this, kHelpId);
    setWindowTitle(QStringLiteral("Origen de registros"));
    SSTab1 = Named(new QTabWidget(this), "SSTab1");
    SSTab1->addTab(BuildGeneral(), QStringLiteral("General"));
    SSTab1->addTab(BuildChildren(), QStringLiteral("Origenes dependientes"));
    SSTab1->addTab(BuildAdvanced(), QStringLiteral("Avanzadas"));
    Command10 = Named(new QPushButton(QStringLiteral("&Aceptar"), this), "Command10");
    Command10->setDefault(true);
    Command11 = Named(new QPushButton(QStringLiteral("&Cancelar"), this), "Command11");
    BtnAyuda = Named(new QPushButton(QStringLiteral("Ay&uda"), this), "BtnAyuda");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnAyuda);
    buttons->addStretch();
    buttons->addWidget(Command10);
    buttons->addWidget(Command11);
    auto* top = new QVBoxLayout(this);
    top->addWidget(SSTab1);
    top->addLayout(buttons);
    Option1->setChecked(true);
    Connect();
    resize(640, 560);
}

QWidget* FrmRSource::BuildGeneral() {
    auto* page = new QWidget;
    txtCnn = Named(new QLineEdit(page), "txtCnn");
    txtCnn->setReadOnly(true);
    cmdCnn = ImageButton(page, "cmdCnn", "...", "Editar la conexión");
    txtName = Named(new QLineEdit(page), "txtName");
    Option1 = Named(new QRadioButton(QStringLiteral("Tabla o vista"), page), "Option1");
    Option2 = Named(new QRadioButton(QStringLiteral("Procedimiento almacenado"), page), "Option2");
    Option3 = Named(new QRadioButton(QStringLiteral("Consulta SQL"), page), "Option3");
    auto* types = new QButtonGroup(page);
    for (auto* o : {Option1, Option2, Option3}) types->addButton(o);
    dxTable = Picker(page, "dxTable");
    Command12 = Named(new QPushButton(QStringLiteral("Actualizar"), page), "Command12");
    dxProc = Picker(page, "dxProc");
    Command13 = Named(new QPushButton(QStringLiteral("Actualizar"), page), "Command13");
    txtSQL = Named(new QPlainTextEdit(page), "txtSQL");
    txtSQL->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    txtSQL->setTabChangesFocus(true);
    cmdConsulta = Named(new QPushButton(QStringLiteral("Diseñar consulta SQL"), page), "cmdConsulta");
    K7 = Named(new QPushButton(QStringLiteral("Editor SQL"), page), "K7");
    btnProbarCons = Named(new QPushButton(QStringLiteral("Probar consulta"), page), "btnProbarCons");
    txtFilter = Named(new QLineEdit(page), "txtFilter");
    bntDesign = ImageButton(page, "bntDesign", "...", "Diseñar el filtro");
    txtOrder = Picker(page, "txtOrder");
    CmdActualizarOrden = Named(new QPushButton(QStringLiteral("Actualizar"), page), "CmdActualizarOrden");
    BntPreviewTable = Named(new QPushButton(QStringLiteral("Ver los datos"), page), "BntPreviewTable");
    KewlButtons8 = Named(new QPushButton(QStringLiteral("Ver los datos"), page), "KewlButtons8");

    auto* grid = new QGridLayout(page);
    grid->addWidget(Caption("Conexión:", txtCnn), 0, 0);
    grid->addWidget(txtCnn, 0, 1);
    grid->addWidget(cmdCnn, 0, 2);
    grid->addWidget(Caption("Nombre del origen de registros:", txtName), 1, 0);
    grid->addWidget(txtName, 1, 1, 1, 2);
    auto* source = new QGroupBox(QStringLiteral("Tipo de origen:"), page);
    auto* sourceGrid = new QGridLayout(source);
    sourceGrid->addWidget(Option1, 0, 0);
    sourceGrid->addWidget(dxTable, 0, 1);
    sourceGrid->addWidget(Command12, 0, 2);
    sourceGrid->addWidget(BntPreviewTable, 0, 3);
    sourceGrid->addWidget(Option2, 1, 0);
    sourceGrid->addWidget(dxProc, 1, 1);
    sourceGrid->addWidget(Command13, 1, 2);
    sourceGrid->addWidget(Option3, 2, 0, Qt::AlignTop);
    sourceGrid->addWidget(txtSQL, 2, 1, 1, 3);
    auto* sqlButtons = new QHBoxLayout;
    for (auto* b : {cmdConsulta, K7, btnProbarCons, KewlButtons8}) sqlButtons->addWidget(b);
    sqlButtons->addStretch();
    sourceGrid->addLayout(sqlButtons, 3, 1, 1, 3);
    sourceGrid->setColumnStretch(1, 1);
    grid->addWidget(source, 2, 0, 1, 3);
    grid->addWidget(Caption("Expresión de filtro:", txtFilter), 3, 0);
    grid->addWidget(txtFilter, 3, 1);
    grid->addWidget(bntDesign, 3, 2);
    grid->addWidget(Caption("Expresión de ordenación:", txtOrder), 4, 0);
    grid->addWidget(txtOrder, 4, 1);
    grid->addWidget(CmdActualizarOrden, 4, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);
    return page;
}

QWidget* FrmRSource::BuildChildren() {
    auto* page = new QWidget;
    List2 = Named(new QListWidget(page), "List2");
    Command1 = Named(new QPushButton(QStringLiteral("Nuevo origen de registros"), page), "Command1");
    Command2 = Named(new QPushButton(QStringLiteral("Editar origen de registro"), page), "Command2");
    Command3 = Named(new QPushButton(QStringLiteral("Quitar origen de registro"), page), "Command3");
    dxIDField = Picker(page, "dxIDField");
    Command4 = Named(new QPushButton(QStringLiteral("Actualizar lista de campos"), page), "Command4");
    dxParam = Picker(page, "dxParam");
    Command5 = Named(new QPushButton(QStringLiteral("Crear parámetro"), page), "Command5");

    auto* side = new QVBoxLayout;
    for (auto* b : {Command1, Command2, Command3}) side->addWidget(b);
    side->addStretch();
    auto* link = new QGroupBox(QStringLiteral("Vínculo con los orígenes dependientes"), page);
    auto* linkGrid = new QGridLayout(link);
    linkGrid->addWidget(Caption("Campo ID:", dxIDField), 0, 0);
    linkGrid->addWidget(dxIDField, 0, 1);
    linkGrid->addWidget(Command4, 0, 2);
    linkGrid->addWidget(Caption("Parámetro asociado:", dxParam), 1, 0);
    linkGrid->addWidget(dxParam, 1, 1);
    linkGrid->addWidget(Command5, 1, 2);
    linkGrid->setColumnStretch(1, 1);
    auto* grid = new QGridLayout(page);
    grid->addWidget(new QLabel(QStringLiteral("Orígenes de registros dependientes:"), page), 0, 0, 1, 2);
    grid->addWidget(List2, 1, 0);
    grid->addLayout(side, 1, 1);
    grid->addWidget(link, 2, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    return page;
}

QWidget* FrmRSource::BuildAdvanced() {
    auto* page = new QWidget;
    dxCursorLocation = FixedPicker(page, "dxCursorLocation", kLocations);
    dxCursorType = FixedPicker(page, "dxCursorType", kCursorTypes);
    dxLockType = FixedPicker(page, "dxLockType", kLockTypes);
    List3 = Named(new QListWidget(page), "List3");
    List1 = Named(new QListWidget(page), "List1");
    KewlButtons3 = ImageButton(page, "KewlButtons3", ">", "Pasar el parámetro seleccionado");
    KewlButtons4 = ImageButton(page, "KewlButtons4", "<", "Quitar el parámetro seleccionado");
    KewlButtons5 = ImageButton(page, "KewlButtons5", ">>", "Pasar todos los parámetros");
    KewlButtons6 = ImageButton(page, "KewlButtons6", "<<", "Quitar todos los parámetros");
    KewlButtons1 = Named(new QPushButton(QStringLiteral("Subir"), page), "KewlButtons1");
    KewlButtons2 = Named(new QPushButton(QStringLiteral("Bajar"), page), "KewlButtons2");
    Command7 = Named(new QPushButton(QStringLiteral("Nuevo parámetro"), page), "Command7");

    auto* cursor = new QFormLayout;
    cursor->addRow(Caption("Ubicación del cursor:", dxCursorLocation), dxCursorLocation);
    cursor->addRow(Caption("Tipo de cursor:", dxCursorType), dxCursorType);
    cursor->addRow(Caption("Tipo de bloqueo:", dxLockType), dxLockType);
    auto* pass = new QGroupBox(QStringLiteral("Paso de parámetros al servidor"), page);
    auto* middle = new QVBoxLayout;
    middle->addStretch();
    for (auto* b : {KewlButtons3, KewlButtons4, KewlButtons5, KewlButtons6}) middle->addWidget(b);
    middle->addStretch();
    auto* order = new QHBoxLayout;
    order->addWidget(KewlButtons1);
    order->addWidget(KewlButtons2);
    order->addStretch();
    auto* passGrid = new QGridLayout(pass);
    passGrid->addWidget(new QLabel(QStringLiteral("Parámetros disponibles"), pass), 0, 0);
    passGrid->addWidget(new QLabel(QStringLiteral("Parámetros que se enviarán con la consulta"), pass), 0, 2);
    passGrid->addWidget(List3, 1, 0);
    passGrid->addLayout(middle, 1, 1);
    passGrid->addWidget(List1, 1, 2);
    passGrid->addWidget(Command7, 2, 0, Qt::AlignLeft);
    passGrid->addLayout(order, 2, 2);
    passGrid->setColumnStretch(0, 1);
    passGrid->setColumnStretch(2, 1);
    auto* top = new QVBoxLayout(page);
    top->addLayout(cursor);
    top->addWidget(pass, 1);
    return page;
}

void FrmRSource::Connect() {
    connect(cmdCnn, &QToolButton::clicked, this, &FrmRSource::EditConnection);
    connect(Command12, &QPushButton::clicked, this, &FrmRSource::RefreshTables);
    connect(Command13, &QPushButton::clicked, this, &FrmRSource::RefreshProcedures);
    connect(dxTable->lineEdit(), &QLineEdit::textEdited, Option1, [this] { Option1->setChecked(true); });
    connect(dxTable, &QComboBox::activated, Option1, [this] { Option1->setChecked(true); });
    connect(dxProc->lineEdit(), &QLineEdit::textEdited, Option2, [this] { Option2->setChecked(true); });
    connect(dxProc, &QComboBox::activated, Option2, [this] { Option2->setChecked(true); });
    connect(txtSQL, &QPlainTextEdit::textChanged, Option3, [this] { Option3->setChecked(true); });
    connect(cmdConsulta, &QPushButton::clicked, this, &FrmRSource::DesignSql);
    connect(K7, &QPushButton::clicked, this, &FrmRSource::ZoomSql);
    connect(btnProbarCons, &QPushButton::clicked, this, &FrmRSource::TestQuery);
    connect(bntDesign, &QToolButton::clicked, this, &FrmRSource::DesignFilter);
    connect(CmdActualizarOrden, &QPushButton::clicked, this, &FrmRSource::RefreshOrder);
    connect(BntPreviewTable, &QPushButton::clicked, this, &FrmRSource::Preview);
    connect(KewlButtons8, &QPushButton::clicked, this, &FrmRSource::Preview);
    connect(Command1, &QPushButton::clicked, this, &FrmRSource::NewChild);
    connect(Command2, &QPushButton::clicked, this, &FrmRSource::EditChild);
    connect(Command3, &QPushButton::clicked, this, &FrmRSource::RemoveChild);
    connect(Command4, &QPushButton::clicked, this, &FrmRSource::RefreshFields);
    connect(Command5, &QPushButton::clicked, this, &FrmRSource::NewParameter);
    connect(Command7, &QPushButton::clicked, this, &FrmRSource::NewParameter);
    connect(KewlButtons3, &QToolButton::clicked, this, &FrmRSource::CopyRight);
    connect(KewlButtons4, &QToolButton::clicked, this, &FrmRSource::RemoveRight);
    connect(KewlButtons5, &QToolButton::clicked, this, &FrmRSource::CopyAll);
    connect(KewlButtons6, &QToolButton::clicked, List1, &QListWidget::clear);
    connect(KewlButtons1, &QPushButton::clicked, this, [this] { MoveRight(-1); });
    connect(KewlButtons2, &QPushButton::clicked, this, [this] { MoveRight(1); });
    connect(Command10, &QPushButton::clicked, this, &FrmRSource::OnAceptar);
    connect(Command11, &QPushButton::clicked, this, &FrmRSource::OnCancelar);
    connect(BtnAyuda, &QPushButton::clicked, this, [this] { ShowHelp(this, kHelpId); });
}

// ---- Opening --------------------------------------------------------------

void FrmRSource::SetCnn(const std::shared_ptr<eConnection>& eC) {
    connection_ = eC;
    txtCnn->setText(eC ? Q(eC->Name) : QString());
    RefreshLists();
    dxCursorLocation->setCurrentIndex(0);
    dxCursorType->setCurrentIndex(0);
    dxLockType->setCurrentIndex(0);
}

void FrmRSource::Agregar() {
    ThisRC = std::make_shared<eRSource>();
    if (connection_) ThisRC->ecnnName(connection_->Name);
    ThisRC->eCnn = connection_;
    mode_ = 1;
}

void FrmRSource::Modificar(const std::shared_ptr<eRSource>& eRs) {
    if (!eRs) return;
    mode_ = 2;
    ThisRC = eRs;
    List2->clear();
    if (eRs->eRSources)
        for (const auto& child : *eRs->eRSources)
            if (child) List2->addItem(Q(child->Name));
    txtName->setText(Q(eRs->Name));
    txtName->setEnabled(false);
    SetCnn(eRs->eCnn.lock());
    LoadSource(*eRs);
    dxIDField->setEditText(Q(eRs->eFieldNametoParameters));
    dxParam->setEditText(Q(eRs->idParameterLinked));
    LoadCursorOptions(*eRs);
    List1->clear();
    for (const std::string& piece : text::Split(eRs->SendParameters, ","))
        if (const std::string name(TrimBlanks(piece)); !name.empty()) List1->addItem(Q(name));
    txtFilter->setText(Q(eRs->Filter));
    txtOrder->setEditText(Q(eRs->Order));
}

void FrmRSource::LoadSource(const eRSource& rs) {
    if (rs.TypeofCommand == "1") {
        SetSqlText(Q(rs.SQLCommand));
        Option3->setChecked(true);
    } else if (rs.TypeofCommand == "2") {
        dxTable->setEditText(Q(rs.SQLCommand));
        Option1->setChecked(true);
    } else if (rs.TypeofCommand == "4") {
        dxProc->setEditText(Q(rs.SQLCommand));
        Option2->setChecked(true);
    }
}

void FrmRSource::LoadCursorOptions(const eRSource& rs) {
    if (const int i = EntryOf(kLocations, rs.CursorLocation); i >= 0) dxCursorLocation->setCurrentIndex(i);
    if (const int i = EntryOf(kCursorTypes, rs.CursorType); i >= 0) dxCursorType->setCurrentIndex(i);
    if (const int i = EntryOf(kLockTypes, rs.LockType); i >= 0) dxLockType->setCurrentIndex(i);
}

// A name typed by the user is kept when the dialog is activated again (after
// a child editor or a message closed, say): the proposal only fills an empty box.
void FrmRSource::DefaultName() {
    auto report = Report();
    if (!ThisRC || !report || !TrimBlanks(ThisRC->Name).empty()) return;
    if (!TrimBlanks(Text(txtName)).empty()) return;
    QString name = Q(report->GetNewRSName());
    if (Lower(TrimBlanks(name.toStdString())) == Lower(TrimBlanks(NoName)))
        name += QStringLiteral("R_%1").arg(platform::RuntimeServices::Instance().Number(1, 99));
    txtName->setText(name);
}

bool FrmRSource::event(QEvent* e) {
    const bool handled = QDialog::event(e);
    if (e->type() == QEvent::WindowActivate || e->type() == QEvent::Show) DefaultName();
    return handled;
}

std::shared_ptr<Orvane> FrmRSource::Report() const {
    if (UIRpt && UIRpt->objOrvane) return UIRpt->objOrvane;
    return connection_ ? connection_->RPTParent.lock() : nullptr;
}

// ---- Saving ---------------------------------------------------------------

bool FrmRSource::SaveToObject() {
    if (!ThisRC) return false;
    const std::string name = Text(txtName);
    if (auto report = Report(); mode_ == 1 && report && report->GetRSource(name)) {
        ShowMessage("Ya existe un origen de registros con el mismo nombre");
        return false;
    }
    ThisRC->Name = name;
    if (!SaveSource()) return false;
    ThisRC->eFieldNametoParameters = Text(dxIDField);
    ThisRC->idParameterLinked = Text(dxParam);
    SaveCursorOptions();
    ThisRC->SendParameters = Joined(List1);
    ThisRC->Filter = Text(txtFilter);
    ThisRC->Order = Text(txtOrder);
    return true;
}

// The text box gives its lines joined by LF; the definition keeps the line
// breaks it had (CR LF unless they were LF alone), so saving an untouched
// query changes nothing.
std::string FrmRSource::SqlText() const {
    QString text = txtSQL->toPlainText();
    const std::string& stored = ThisRC->SQLCommand;
    const bool lfOnly = stored.find('\n') != std::string::npos && stored.find("\r\n") == std::string::npos;
    if (!lfOnly) text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return text.toStdString();
}

bool FrmRSource::SaveSource() {
    struct Source {
        QRadioButton* option;
        std::string text;
        const char* type;
        const char* missing;
    };
    const Source sources[] = {
        {Option1, Text(dxTable), "2", "Debe indicar el nombre de la tabla origen"},
        {Option2, Text(dxProc), "4", "Debe indicar el nombre del procedimiento almacenado"},
        {Option3, SqlText(), "1", "Debe indicar el comando SQL que producirá el conjunto de registros"},
    };
    for (const Source& s : sources) {
        if (!s.option->isChecked()) continue;
        if (s.text.empty()) {
            ShowMessage(s.missing);
            return false;
        }
        ThisRC->SQLCommand = s.text;
        ThisRC->TypeofCommand = s.type;
    }
    return true;
}

void FrmRSource::SaveCursorOptions() {
    StoreChoice(dxCursorLocation, kLocations, ThisRC->CursorLocation);
    StoreChoice(dxCursorType, kCursorTypes, ThisRC->CursorType);
    StoreChoice(dxLockType, kLockTypes, ThisRC->LockType);
}

bool FrmRSource::NameIsValid() {
    if (!TrimBlanks(Text(txtName)).empty()) return true;
    ShowMessage("Escriba un nombre de origen de registro.", MsgButtons::Ok, MsgIcon::Information);
    txtName->setFocus();
    return false;
}

void FrmRSource::OnAceptar() {
    if (!SaveToObject() || !NameIsValid()) return;
    BotonOk = true;
    accept();
}

void FrmRSource::OnCancelar() {
    BotonOk = false;
    reject();
}

// ---- The connection and the lists ----------------------------------------

bool FrmRSource::TryOpen() {
    if (!SaveToObject()) return false;
    // A failed open may leave the previous session in ADOCnn; it is not the
    // connection the text now names, so the result counts as well as the state.
    auto cnn = ThisRC->eCnn.lock();
    const bool opened = cnn && cnn->OpenConnection();
    if (!opened || !cnn->ADOCnn || cnn->ADOCnn->State() != data::kStateOpen) {
        platform::ShowMessageWithDetails("Error al abrir la conexión",
                                         FailureDetails(cnn ? cnn->LastOpenError : "", "", ""));
        return false;
    }
    if (auto report = cnn->RPTParent.lock()) report->IniParameters();
    // The rows as the report shows them: with the source's own filter and sort.
    ThisRC->RTFilter = ThisRC->Filter;
    ThisRC->RTOrder = ThisRC->Order;
    // The last statement sent is this source's own or a child's, the one
    // that failed when the open did.
    std::string sent;
    auto previous =
        std::exchange(cnn->ADOCnn->Trace, [&sent](const std::string& statement, const auto&) { sent = statement; });
    const bool ok = ThisRC->OpenRecordsource();
    cnn->ADOCnn->Trace = std::move(previous);
    if (ok) return true;
    platform::ShowMessageWithDetails(
        "No se pudo abrir el origen de registros",
        FailureDetails(ThisRC->LastOpenError, sent, ThisRC->ReplaceMacros(ThisRC->SQLCommand)));
    return false;
}

bool FrmRSource::EnsureConnectionOpen() {
    if (!connection_) return false;
    if (!connection_->ADOCnn && !connection_->OpenConnection()) return false;
    if (connection_->ADOCnn->State() != data::kStateOpen && !connection_->OpenConnection()) return false;
    return true;
}

void FrmRSource::RefreshLists() {
    if (!EnsureConnectionOpen()) return;
    RefreshTables();
    RefreshProcedures();
    FillParameters();
}

void FrmRSource::RefreshTables() {
    if (!EnsureConnectionOpen()) return;
    ComboPicker picker(dxTable);
    data::ListTables(connection_->ADOCnn, picker);
}

void FrmRSource::RefreshProcedures() {
    if (!EnsureConnectionOpen()) return;
    ComboPicker picker(dxProc);
    data::ListProcedures(connection_->ADOCnn, picker);
}

void FrmRSource::FillParameters() {
    ComboPicker picker(dxParam);
    picker.Clear();
    List3->clear();
    auto report = Report();
    if (!report || !report->eParameters) return;
    for (const auto& p : *report->eParameters) {
        if (!p) continue;
        picker.AddItem(p->Name);
        List3->addItem(Q(p->Name));
    }
}

void FrmRSource::EditConnection() {
    if (!UIRpt || !connection_) return;
    UIRpt->EditeConnection(connection_);
    txtCnn->setText(Q(connection_->Name));
    RefreshLists();
}

void FrmRSource::NewParameter() {
    auto report = Report();
    if (!UIRpt || !report || !report->eParameters) return;
    auto prm = UIRpt->AddeParameter();
    if (!prm) return;
    if (report->GetParameter(prm->Name)) {
        ShowMessage("Ya existe un parámetro con el mismo nombre.");
        return;
    }
    report->eParameters->Add(prm);
    ComboPicker(dxParam).AddItem(prm->Name);
    List3->addItem(Q(prm->Name));
    List3->setCurrentRow(List3->count() - 1);
}

// ---- Parameters passed to the server --------------------------------------

void FrmRSource::CopyRight() {
    auto* selected = List3->currentItem();
    if (!selected || !selected->isSelected()) {
        ShowMessage("Seleccione un parámetro en la lista de la izquierda");
        return;
    }
    if (InList(List1, selected->text()) &&
        ShowMessage("El parámetro ya está en la lista a pasar al servidor. ¿Desea incluirlo nuevamente?",
                    MsgButtons::YesNo, MsgIcon::Question, {}, MsgAnswer::No) != MsgAnswer::Yes)
        return;
    List1->addItem(selected->text());
}

void FrmRSource::CopyAll() {
    if (List3->count() == 0) {
        ShowMessage("No hay ningún parámetro, cree uno usando el botón 'Nuevo parámetro'");
        return;
    }
    for (int i = 0; i < List3->count(); ++i)
        if (!InList(List1, List3->item(i)->text())) List1->addItem(List3->item(i)->text());
}

void FrmRSource::RemoveRight() {
    const int row = List1->currentRow();
    if (row < 0 || !List1->item(row)->isSelected()) {
        ShowMessage("Seleccione un parámetro en la lista de la derecha");
        return;
    }
    delete List1->takeItem(row);
}

void FrmRSource::MoveRight(int step) {
    const int row = List1->currentRow();
    if (row < 0 || !List1->item(row)->isSelected()) {
        ShowMessage("Seleccione un parámetro en la lista de la derecha");
        return;
    }
    const int other = row + step;
    if (other < 0 || other >= List1->count()) return;
    QListWidgetItem* moved = List1->takeItem(row);
    List1->insertItem(other, moved);
    List1->setCurrentRow(other);
}

// ---- Dependent record sources ---------------------------------------------

void FrmRSource::NewChild() {
    if (!UIRpt || !ThisRC) return;
    if (auto child = UIRpt->AddeRSource(connection_, ThisRC->eRSources, Text(txtName))) List2->addItem(Q(child->Name));
}

void FrmRSource::EditChild() {
    auto* selected = List2->currentItem();
    if (!selected || !selected->isSelected()) {
        ShowMessage("Seleccione un origen dependiente");
        return;
    }
    if (!UIRpt || !ThisRC) return;
    auto child = ThisRC->GeteRSource(selected->text().toStdString());
    if (child && UIRpt->EditeRSource(child)) selected->setText(Q(child->Name));
}

void FrmRSource::RemoveChild() {
    auto* selected = List2->currentItem();
    if (!selected || !selected->isSelected()) {
        ShowMessage("Seleccione un origen dependiente");
        return;
    }
    if (!ThisRC || !ThisRC->eRSources) return;
    const std::string wanted = Lower(selected->text().toStdString());
    for (int i = 1; i <= ThisRC->eRSources->Count(); ++i) {
        auto child = ThisRC->eRSources->Item(i);
        if (!child || Lower(child->Name) != wanted) continue;
        if (ShowMessage("¿Seguro desea eliminar el origen de registros dependiente seleccionado?", MsgButtons::YesNo,
                        MsgIcon::Question) == MsgAnswer::Yes) {
            ThisRC->eRSources->Remove(i);
            delete List2->takeItem(List2->row(selected));
        }
        return;
    }
}

// ---- Tests against the database --------------------------------------------

void FrmRSource::RefreshFields() {
    {
        ComboPicker picker(dxIDField);
        picker.Clear();
    }
    dxIDField->setEditText({});
    TryOpen();
    if (!ThisRC || !ThisRC->ADORecordset) return;
    ComboPicker picker(dxIDField);
    for (const auto& field : ThisRC->ADORecordset->Fields()) picker.AddItem(field.Name());
}

void FrmRSource::RefreshOrder() {
    {
        ComboPicker picker(txtOrder);
        picker.Clear();
    }
    txtOrder->setEditText({});
    TryOpen();
    if (!ThisRC || !ThisRC->ADORecordset) return;
    ComboPicker picker(txtOrder);
    for (const auto& field : ThisRC->ADORecordset->Fields()) {
        picker.AddItem(field.Name());
        picker.AddItem(field.Name() + " Desc");
    }
}

// A text that begins with "=" (after any blanks) is a formula, edited in the
// report's formula designer; any other text is a filter.
void FrmRSource::DesignFilter() {
    if (!SaveToObject()) return;
    const std::string filter = Text(txtFilter);
    if (TrimBlanks(filter).substr(0, 1) == "=") {
        if (auto report = Report()) {
            std::string format;
            txtFilter->setText(Q(report->ShowDesignerF(filter, format)));
        }
        return;
    }
    DlgFilterDesign designer(this);
    designer.SetConnection(connection_);
    designer.SetRecordSource(ThisRC);
    designer.SetFilterText(filter);
    RunModal(designer);
    if (designer.Accepted()) txtFilter->setText(Q(designer.FilterText()));
}

void FrmRSource::TestQuery() {
    if (!Option3->isChecked()) return;
    if (TryOpen()) ShowMessage("La consulta se ha ejecutado satisfactoriamente.", MsgButtons::Ok, MsgIcon::Information);
}

void FrmRSource::Preview() {
    if (!SaveToObject()) return;
    TryOpen();
    if (!ThisRC->ADORecordset) return;
    FrmPreviewReport preview(this);
    preview.SetRecordset(ThisRC->ADORecordset);
    RunModal(preview);
}

// ---- SQL text ---------------------------------------------------------------

void FrmRSource::SetSqlText(const QString& text) {
    QSignalBlocker quiet(txtSQL);
    txtSQL->setPlainText(text);
}

void FrmRSource::ZoomSql() {
    DlgZommSQL zoom(this);
    zoom.Text1->setPlainText(txtSQL->toPlainText());
    RunModal(zoom);
    SetSqlText(zoom.Text1->toPlainText());
}

void FrmRSource::DesignSql() {
    Option3->setChecked(true);
    if (!connection_) return;
    if ((!connection_->ADOCnn || connection_->ADOCnn->State() != data::kStateOpen) && !connection_->OpenConnection()) {
        ShowMessage(
            "No se puede establecer la conexión a la base de datos, compruebe que la información para establecerla "
            "es correcta.\r\nEl diseñador de SQL no puede iniciarse sin una conexión válida.");
        return;
    }
    auto report = Report();
    SqlDesigner designer(this);
    if (report) report->IniParameters();
    if (report && report->eParameters) {
        for (const auto& p : *report->eParameters)
            if (p) designer.Parameters.push_back({p->eType(), p->Name, p->Predef, p->Value.TextOr()});
    }
    // "Ejecutar" runs the text as this record source would, macros and the
    // parameters sent to the server included.
    designer.RunQuery = [this](const std::string& sql, std::string& error) -> std::shared_ptr<data::Recordset> {
        auto trial = std::make_shared<eRSource>();
        trial->eCnn = connection_;
        trial->TypeofCommand = "1";
        trial->SQLCommand = sql;
        trial->SendParameters = Joined(List1);
        if (trial->OpenRecordsource()) return trial->ADORecordset;
        error = trial->LastOpenError;
        return nullptr;
    };
    SetSqlText(Q(designer.Design(connection_->ADOCnn, txtSQL->toPlainText().toStdString(), "")));
}

}  // namespace orvane::designer
