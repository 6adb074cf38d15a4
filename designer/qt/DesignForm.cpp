#include <orvanespt/designer/qt/DesignForm.h>

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTextCursor>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <set>

#include <orvanespt/data/ado/Connection.h>
#include <orvanespt/data/ado/Recordset.h>
#include <orvanespt/designer/qt/QtSeams.h>
#include <orvanespt/model/FormulaDesigner.h>
#include <orvanespt/model/Help.h>
#include <orvanespt/model/RSourceWalk.h>
#include <orvanespt/model/Orvane.h>
#include <orvanespt/platform/Messages.h>

namespace orvane::designer {

namespace {

constexpr int kHelpId = 10034;
constexpr int kKeyRole = Qt::UserRole;
const char* const kMacros[] = {"@Date", "@DateTime", "@PageNumber", "@Pages", "@WinPCName", "@WinUser"};
const char* const kFormats[] = {"dd/mm/yy", "dd/mmm/yyyy", "hh:mm:ss", "#.00",      "#,#.00",
                                "$ #,#.00", "$ #.00",      "Yes/No",   "True/False"};
const char* const kOperators[] = {"+", "-", "*", "/", "(", ")", "&&"};

// The part of a key before its first "_".
std::string KindOf(const std::string& key) {
    return key.substr(0, key.find('_'));
}

std::string TextOf(const QTreeWidgetItem* node) {
    return node ? node->text(0).toStdString() : std::string();
}

}  // namespace

dlgDesignForm::dlgDesignForm(QWidget* parent) : QDialog(parent) {
    setObjectName("dlgDesignForm");
    SetHelpTopic(*this, kHelpId);
    setWindowTitle(QStringLiteral("Diseñar fórmula"));
    BuildWidgets();
}

void dlgDesignForm::BuildWidgets() {
    dxMemoF = new QPlainTextEdit(this);
    dxMemoF->setObjectName("dxMemoF");
    cmbMacros = new QComboBox(this);
    cmbMacros->setObjectName("cmbMacros");
    bntAddMacro = new QPushButton(QStringLiteral("<Ins>"), this);
    bntAddMacro->setObjectName("bntAddMacro");
    TvwSelec = new QTreeWidget(this);
    TvwSelec->setObjectName("TvwSelec");
    TvwSelec->setHeaderHidden(true);
    TvwSelec->setColumnCount(1);
    CmbFmt = new QComboBox(this);
    CmbFmt->setObjectName("CmbFmt");
    BntAceptar = new QPushButton(QStringLiteral("&Aceptar"), this);
    BntAceptar->setObjectName("BntAceptar");
    BntCancelar = new QPushButton(QStringLiteral("&Cancelar"), this);
    BntCancelar->setObjectName("BntCancelar");
    BtnAyuda = new QPushButton(QStringLiteral("Ay&uda"), this);
    BtnAyuda->setObjectName("BtnAyuda");
    // The text editor keeps Enter for new lines; no button is the default.
    for (QPushButton* b : {bntAddMacro, BntAceptar, BntCancelar, BtnAyuda}) b->setAutoDefault(false);

    auto* operators = new QHBoxLayout;
    for (int i = 0; i < 7; ++i) {
        BntOperc[i] = new QPushButton(QString::fromUtf8(kOperators[i]), this);
        BntOperc[i]->setObjectName(QStringLiteral("BntOperc(%1)").arg(i));
        BntOperc[i]->setAutoDefault(false);
        BntOperc[i]->setFixedWidth(32);
        const QString inserted = QStringLiteral(" %1 ").arg(i == 6 ? QStringLiteral("&") : QString(kOperators[i]));
        connect(BntOperc[i], &QPushButton::clicked, this, [this, inserted] { InsertAtCaret(inserted); });
        operators->addWidget(BntOperc[i]);
    }
    operators->addStretch();

    connect(cmbMacros, &QComboBox::activated, this, [this] { InsertAtCaret(cmbMacros->currentText()); });
    connect(bntAddMacro, &QPushButton::clicked, this, [this] { InsertAtCaret(cmbMacros->currentText()); });
    connect(TvwSelec, &QTreeWidget::itemExpanded, this, &dlgDesignForm::OnExpanded);
    connect(TvwSelec, &QTreeWidget::itemDoubleClicked, this, &dlgDesignForm::OnDoubleClicked);
    connect(BntAceptar, &QPushButton::clicked, this, &dlgDesignForm::OnAceptar);
    connect(BntCancelar, &QPushButton::clicked, this, &dlgDesignForm::OnCancelar);
    connect(BtnAyuda, &QPushButton::clicked, this, [this] { ShowHelp(this, kHelpId); });

    auto* macros = new QHBoxLayout;
    macros->addWidget(new QLabel(QStringLiteral("Agregar Macro:"), this));
    macros->addWidget(cmbMacros, 1);
    macros->addWidget(bntAddMacro);

    auto* left = new QVBoxLayout;
    left->addWidget(dxMemoF, 1);
    left->addLayout(macros);
    left->addLayout(operators);
    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel(QStringLiteral("Campos y parámetros:"), this));
    right->addWidget(TvwSelec, 1);
    auto* format = new QHBoxLayout;
    format->addWidget(new QLabel(QStringLiteral("Formato:"), this));
    format->addWidget(CmbFmt, 1);
    right->addLayout(format);
    auto* body = new QHBoxLayout;
    body->addLayout(left, 3);
    body->addLayout(right, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnAyuda);
    buttons->addStretch();
    buttons->addWidget(BntAceptar);
    buttons->addWidget(BntCancelar);
    auto* top = new QVBoxLayout(this);
    top->addLayout(body, 1);
    top->addLayout(buttons);
    resize(640, 380);
}

void dlgDesignForm::showEvent(QShowEvent* event) {
    Load();
    QDialog::showEvent(event);
}

void dlgDesignForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) dxMemoF->moveCursor(QTextCursor::End);
    QDialog::changeEvent(event);
}

void dlgDesignForm::Load() {
    if (loaded_) return;
    loaded_ = true;
    cmbMacros->clear();
    for (const char* m : kMacros) cmbMacros->addItem(QString::fromUtf8(m));
    cmbMacros->setCurrentIndex(0);
    FillTree();
    dxMemoF->setPlainText(QString::fromStdString(FormulaText));
    dxMemoF->moveCursor(QTextCursor::End);
    CmbFmt->clear();
    for (const char* f : kFormats) CmbFmt->addItem(QString::fromUtf8(f));
    CmbFmt->setCurrentIndex(
        CmbFmt->findText(QString::fromStdString(FormulaFormat), Qt::MatchExactly | Qt::MatchCaseSensitive));
}

QTreeWidgetItem* dlgDesignForm::AddNode(QTreeWidgetItem* parent, const std::string& key, const std::string& text,
                                        int image) {
    auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(TvwSelec);
    node->setText(0, QString::fromStdString(text));
    node->setData(0, kKeyRole, QString::fromStdString(key));
    if (image == 1) node->setIcon(0, style()->standardIcon(QStyle::SP_FileIcon));
    if (image == 2) node->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    return node;
}

std::string dlgDesignForm::KeyOf(const QTreeWidgetItem* node) {
    return node ? node->data(0, kKeyRole).toString().toStdString() : std::string();
}

void dlgDesignForm::FillTree() {
    TvwSelec->clear();
    sources_.clear();
    if (!Report) return;
    std::set<std::string> keys;
    for (const auto& rs : TopRSources(*Report)) {
        std::string key = "Rsc_" + rs->Name;
        for (int n = 2; keys.count(key); ++n) key = "Rsc_" + rs->Name + "~" + std::to_string(n);
        keys.insert(key);
        QTreeWidgetItem* node = AddNode(nullptr, key, rs->Name, 2);
        AddNode(node, "F_" + rs->Name, "Campos", 0);
        sources_[node] = rs;
    }
    QTreeWidgetItem* root = AddNode(nullptr, "PrmR", "Parámetros", 0);
    if (Report->eParameters)
        for (const auto& p : *Report->eParameters)
            if (p) AddNode(root, "Prm_" + p->Name, p->Name, 1);
    if (root->childCount() > 0) root->setExpanded(true);
}

void dlgDesignForm::OnExpanded(QTreeWidgetItem* node) {
    if (!node || KindOf(KeyOf(node)) != "Rsc" || node->childCount() == 0) return;
    QTreeWidgetItem* placeholder = node->child(0);
    if (KindOf(KeyOf(placeholder)) != "F") return;
    const auto found = sources_.find(node);
    const std::shared_ptr<eRSource> rs = found == sources_.end() ? nullptr : found->second.lock();
    if (!rs || !Report) return;
    bool loaded = false;
    try {
        const auto cnn = rs->eCnn.lock();
        if (cnn) cnn->OpenConnection();
        if (!cnn || !cnn->ADOCnn || cnn->ADOCnn->State() != data::kStateOpen) {
            platform::ShowMessage("Error al abrir la conexión ." + rs->ecnnName());
        } else {
            Report->IniParameters();
            if (!rs->OpenRecordsource() || !rs->ADORecordset) {
                platform::ShowMessage("Error al abrir el origen de registro " + TextOf(node));
            } else {
                for (const data::Field& field : rs->ADORecordset->Fields())
                    AddNode(node, "Fld_" + KeyOf(node) + field.Name(), field.Name(), 0);
                delete node->takeChild(0);
                loaded = true;
            }
        }
    } catch (...) {
        // A failing call is skipped: the node keeps what it has.
    }
    // Folded back, so the next expansion tries again.
    if (!loaded && node->childCount() > 0 && KindOf(KeyOf(node->child(0))) == "F") node->setExpanded(false);
}

void dlgDesignForm::OnDoubleClicked(QTreeWidgetItem* node) {
    const std::string kind = KindOf(KeyOf(node));
    if (kind == "Fld" && node->parent())
        InsertAtCaret(QStringLiteral("@%1.%2").arg(node->parent()->text(0), node->text(0)));
    else if (kind == "Prm")
        InsertAtCaret(QStringLiteral("@%1").arg(node->text(0)));
    else
        dxMemoF->setFocus();
}

void dlgDesignForm::InsertAtCaret(const QString& text) {
    QTextCursor cursor = dxMemoF->textCursor();
    cursor.insertText(text);
    dxMemoF->setTextCursor(cursor);
    dxMemoF->setFocus();
}

void dlgDesignForm::OnAceptar() {
    // The editor turns CR LF into LF; a formula given with CR LF keeps them.
    QString edited = dxMemoF->toPlainText();
    if (FormulaText.find("\r\n") != std::string::npos) edited.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    FormulaText = edited.toStdString();
    FormulaFormat = CmbFmt->currentText().toStdString();
    Accepted = true;
    accept();
}

void dlgDesignForm::OnCancelar() {
    Accepted = false;
    reject();
}

void InstallFormulaDesigner() {
    SetFormulaDesigner([](const std::shared_ptr<Orvane>& report, std::string& text, std::string& format) {
        dlgDesignForm dialog(QApplication::activeWindow());
        dialog.Report = report;
        dialog.FormulaText = text;
        dialog.FormulaFormat = format;
        RunModal(dialog);
        if (!dialog.Accepted) return false;
        text = dialog.FormulaText;
        format = dialog.FormulaFormat;
        return true;
    });
}

}  // namespace orvane::designer
