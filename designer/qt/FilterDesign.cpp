#include <orvanespt/designer/qt/FilterDesign.h>

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <vector>

#include <orvanespt/data/ado/Recordset.h>
#include <orvanespt/designer/qt/QtSeams.h>
#include <orvanespt/model/Help.h>
#include <orvanespt/model/Orvane.h>
#include <orvanespt/platform/FilterConditions.h>
#include <orvanespt/platform/Text.h>

namespace orvane::designer {

namespace {

constexpr int kHelpId = 10035;

QComboBox* EditableCombo(QWidget* parent, const char* name) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMinimumContentsLength(8);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return combo;
}

QPushButton* Button(QWidget* parent, const QString& caption, const char* name) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

std::string TextOf(const QComboBox* combo) {
    return combo->currentText().toStdString();
}

void SetText(QComboBox* combo, const std::string& text) {
    const QString wanted = QString::fromStdString(text);
    const int index = combo->findText(wanted, Qt::MatchExactly);
    if (index >= 0) combo->setCurrentIndex(index);
    combo->setEditText(wanted);
}

}  // namespace

DlgFilterDesign::DlgFilterDesign(QWidget* parent) : QDialog(parent) {
    setObjectName("dlgFilterDesign");
    SetHelpTopic(*this, kHelpId);
    setWindowTitle(QStringLiteral("Diseñador de filtros"));
    BuildWidgets();
    SetEditing(false);
}

void DlgFilterDesign::BuildWidgets() {
    cmbCampo = EditableCombo(this, "cmbCampo");
    cmbCampo->setMinimumContentsLength(14);
    cmbOperador = EditableCombo(this, "cmbOperador");
    cmbParametros = EditableCombo(this, "cmbParametros");
    cmbParametros->setMinimumContentsLength(12);
    cmbUnion = EditableCombo(this, "cmbUnion");
    lstExpresion = new QListWidget(this);
    lstExpresion->setObjectName("lstExpresion");
    lstExpresion->setSelectionMode(QAbstractItemView::SingleSelection);
    BntAgregar = Button(this, QStringLiteral("Agregar"), "BntAgregar");
    BntNuevo = Button(this, QStringLiteral("Nuevo"), "BntNuevo");
    bntEliminar = Button(this, QStringLiteral("Eliminar"), "bntEliminar");
    bntAceptar = Button(this, QStringLiteral("&Aceptar"), "bntAceptar");
    bntAceptar->setDefault(true);
    bntCancelar = Button(this, QStringLiteral("&Cancelar"), "bntCancelar");
    BntAyuda = Button(this, QStringLiteral("Ay&uda"), "BntAyuda");

    connect(BntAgregar, &QPushButton::clicked, this, &DlgFilterDesign::OnAgregar);
    connect(BntNuevo, &QPushButton::clicked, this, &DlgFilterDesign::OnNuevo);
    connect(bntEliminar, &QPushButton::clicked, this, &DlgFilterDesign::OnEliminar);
    connect(bntAceptar, &QPushButton::clicked, this, &DlgFilterDesign::OnAceptar);
    connect(bntCancelar, &QPushButton::clicked, this, &DlgFilterDesign::OnCancelar);
    connect(BntAyuda, &QPushButton::clicked, this, [this] { ShowHelp(this, kHelpId); });
    connect(lstExpresion, &QListWidget::itemClicked, this, &DlgFilterDesign::OnEntryClicked);
    // Enter on an entry selects it as a click does, for the keyboard.
    connect(lstExpresion, &QListWidget::itemActivated, this, &DlgFilterDesign::OnEntryClicked);
    for (QComboBox* combo : {cmbCampo, cmbOperador, cmbParametros, cmbUnion}) {
        connect(combo, &QComboBox::editTextChanged, this, &DlgFilterDesign::OnComboChanged);
        connect(combo, &QComboBox::activated, this, &DlgFilterDesign::OnComboChanged);
    }

    auto* conditions = new QGridLayout;
    const char* captions[] = {"Campo:", "Operador:", "Valor:", "Unión:"};
    QComboBox* combos[] = {cmbCampo, cmbOperador, cmbParametros, cmbUnion};
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(QString::fromUtf8(captions[i]), this);
        label->setBuddy(combos[i]);
        conditions->addWidget(label, 0, i);
        conditions->addWidget(combos[i], 1, i);
    }
    conditions->setColumnStretch(0, 3);
    conditions->setColumnStretch(2, 3);

    auto* side = new QVBoxLayout;
    side->addWidget(BntAgregar);
    side->addWidget(BntNuevo);
    side->addWidget(bntEliminar);
    side->addStretch();
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(lstExpresion, 1);
    listRow->addLayout(side);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BntAyuda);
    buttons->addStretch();
    buttons->addWidget(bntAceptar);
    buttons->addWidget(bntCancelar);

    auto* listLabel = new QLabel(QStringLiteral("Expresión de filtrado:"), this);
    listLabel->setBuddy(lstExpresion);
    auto* top = new QVBoxLayout(this);
    top->addWidget(
        new QLabel(QStringLiteral("Agregue las condiciones de filtro que se incluirán en la consulta"), this));
    top->addLayout(conditions);
    top->addWidget(listLabel);
    top->addLayout(listRow, 1);
    top->addLayout(buttons);
    resize(620, 360);
}

void DlgFilterDesign::SetConnection(std::shared_ptr<eConnection> connection) {
    connection_ = std::move(connection);
}
void DlgFilterDesign::SetRecordSource(std::shared_ptr<eRSource> recordSource) {
    recordSource_ = std::move(recordSource);
}
void DlgFilterDesign::SetFilterText(const std::string& text) {
    filterText_ = text;
}

void DlgFilterDesign::showEvent(QShowEvent* event) {
    Load();
    QDialog::showEvent(event);
}

void DlgFilterDesign::Load() {
    if (loaded_) return;
    loaded_ = true;
    fillingCombos_ = true;
    lstExpresion->clear();
    if (const auto conditions = platform::SplitFilter(filterText_)) {
        for (const auto& c : *conditions)
            lstExpresion->addItem(QString::fromStdString(c.Expresion + " " + c.UnionOperator));
    } else if (!text::TrimBlanks(filterText_).empty()) {
        lstExpresion->addItem(QString::fromStdString(std::string(text::TrimBlanks(filterText_))));
        lstExpresion->setCurrentRow(0);
    }
    SetEditing(false);
    FillFields();
    cmbOperador->clear();
    cmbOperador->addItems({"=", ">", "<", ">=", "<=", "<>", "Like"});
    cmbOperador->setCurrentIndex(0);
    cmbUnion->clear();
    cmbUnion->addItems({"AND", "OR"});
    cmbUnion->setCurrentIndex(0);
    FillParameters();
    fillingCombos_ = false;
}

void DlgFilterDesign::FillFields() {
    cmbCampo->clear();
    if (recordSource_) {
        try {
            recordSource_->OpenRecordsource();
            if (const auto rs = recordSource_->ADORecordset)
                for (const data::Field& field : rs->Fields()) cmbCampo->addItem(QString::fromStdString(field.Name()));
        } catch (...) {
            // A record source that cannot be read leaves the field list as far as it got.
        }
        if (cmbCampo->count() > 0) cmbCampo->setCurrentIndex(0);
    }
    recordSource_.reset();
}

void DlgFilterDesign::FillParameters() {
    cmbParametros->clear();
    const auto report = connection_ ? connection_->RPTParent.lock() : nullptr;
    if (!report || !report->eParameters) return;
    for (const auto& parameter : *report->eParameters)
        if (parameter) cmbParametros->addItem(QString::fromStdString("@" + parameter->Name));
    if (cmbParametros->count() > 0) cmbParametros->setCurrentIndex(0);
}

std::string DlgFilterDesign::ComposedEntry() const {
    return platform::ComposeCondition(TextOf(cmbCampo), TextOf(cmbOperador), TextOf(cmbParametros), TextOf(cmbUnion));
}

void DlgFilterDesign::SetEditing(bool editing) {
    editing_ = editing;
    BntAgregar->setEnabled(!editing);
    BntNuevo->setEnabled(editing);
    bntEliminar->setEnabled(editing);
}

void DlgFilterDesign::OnAgregar() {
    const QString entry = QString::fromStdString(ComposedEntry());
    if (editing_ && editedPosition_ >= 0 && editedPosition_ < lstExpresion->count()) {
        lstExpresion->item(editedPosition_)->setText(entry);
        return;
    }
    lstExpresion->addItem(entry);
}

void DlgFilterDesign::OnEntryClicked(QListWidgetItem* item) {
    if (!item || lstExpresion->count() == 0) return;
    const int row = lstExpresion->row(item);
    const auto parts = platform::SplitCondition(item->text().toStdString());
    if (!parts) {
        // Shown whole: it can be removed, never rewritten from the combos.
        SetEditing(false);
        bntEliminar->setEnabled(true);
        return;
    }
    SetEditing(true);
    editedPosition_ = row;
    fillingCombos_ = true;
    SetText(cmbCampo, parts->Field);
    SetText(cmbOperador, parts->Operator);
    SetText(cmbParametros, parts->Value);
    SetText(cmbUnion, parts->Union);
    fillingCombos_ = false;
}

void DlgFilterDesign::OnComboChanged() {
    if (editing_ && !fillingCombos_) OnAgregar();
}

void DlgFilterDesign::OnNuevo() {
    SetEditing(false);
}

void DlgFilterDesign::OnEliminar() {
    const auto selected = lstExpresion->selectedItems();
    if (selected.isEmpty()) return;
    delete lstExpresion->takeItem(lstExpresion->row(selected.front()));
    lstExpresion->clearSelection();
    SetEditing(false);
}

void DlgFilterDesign::OnAceptar() {
    std::vector<std::string> entries;
    for (int i = 0; i < lstExpresion->count(); ++i) entries.push_back(lstExpresion->item(i)->text().toStdString());
    filterText_ = platform::ComposeFilter(entries);
    accepted_ = true;
    accept();
}

void DlgFilterDesign::OnCancelar() {
    accepted_ = false;
    reject();
}

}  // namespace orvane::designer
