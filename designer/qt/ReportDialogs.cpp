#include <orvanespt/designer/qt/ReportDialogs.h>

#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <orvanespt/designer/qt/QtSeams.h>
#include <orvanespt/platform/Messages.h>

namespace orvane::designer {

namespace {

constexpr int kHelpId = 10040;  // the page of resources and code

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

template <typename W>
W* Named(W* w, const char* name) {
    w->setObjectName(name);
    return w;
}

// "&Aceptar" and "&Cancelar" on a row of their own, right-aligned.
QHBoxLayout* Buttons(QDialog* d, QPushButton*& ok, QPushButton*& cancel) {
    ok = Named(new QPushButton(QStringLiteral("&Aceptar"), d), "cmdOK");
    ok->setDefault(true);
    cancel = Named(new QPushButton(QStringLiteral("&Cancelar"), d), "cmdCancel");
    QObject::connect(cancel, &QPushButton::clicked, d, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

void FillNames(QComboBox* combo, const QStringList& names, const std::string& current) {
    combo->addItem(QString());  // none
    combo->addItems(names);
    combo->setEditText(Q(current));
}

template <typename T>
QStringList NamesOf(const std::shared_ptr<Collection<T>>& items) {
    QStringList out;
    if (items)
        for (const auto& item : *items)
            if (item) out << Q(item->Name);
    return out;
}

}  // namespace

frmReporte::frmReporte(QWidget* parent) : QDialog(parent) {
    setObjectName("frmReporte");
    setWindowTitle(QStringLiteral("Propiedades del reporte"));
    SetHelpTopic(*this, kHelpId);
    txtName = Named(new QLineEdit(this), "txtName");
    txtInfo = Named(new QLineEdit(this), "txtInfo");
    txtLang = Named(new QLineEdit(this), "txtLang");
    cmbInitialDialog = Named(new QComboBox(this), "cmbInitialDialog");
    cmbInitialPrnFormat = Named(new QComboBox(this), "cmbInitialPrnFormat");
    // A name that no item has yet may be given: the host looks it up when it prints.
    cmbInitialDialog->setEditable(true);
    cmbInitialPrnFormat->setEditable(true);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Nombre:"), txtName);
    form->addRow(QStringLiteral("&Descripción:"), txtInfo);
    form->addRow(QStringLiteral("&Idioma:"), txtLang);
    form->addRow(QStringLiteral("Diálogo &inicial:"), cmbInitialDialog);
    form->addRow(QStringLiteral("&Formato de impresión inicial:"), cmbInitialPrnFormat);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(Buttons(this, cmdOK, cmdCancel));
    connect(cmdOK, &QPushButton::clicked, this, &frmReporte::OnOk);
    resize(420, sizeHint().height());
}

void frmReporte::Editar(const std::shared_ptr<Orvane>& report) {
    report_ = report;
    txtName->setText(Q(report->Name));
    txtInfo->setText(Q(report->Info));
    txtLang->setText(Q(report->Lang));
    FillNames(cmbInitialDialog, NamesOf(report->eDialogs), report->initialDialog);
    FillNames(cmbInitialPrnFormat, NamesOf(report->ePrnFormats), report->initialPrnFormat);
}

void frmReporte::OnOk() {
    if (txtName->text().trimmed().isEmpty()) {
        platform::ShowMessage("Indique un nombre.", platform::MsgButtons::Ok, platform::MsgIcon::Information);
        txtName->setFocus();
        return;
    }
    if (report_) {
        report_->Name = txtName->text().trimmed().toStdString();
        report_->Info = txtInfo->text().toStdString();
        report_->Lang = txtLang->text().toStdString();
        report_->initialDialog = cmbInitialDialog->currentText().toStdString();
        report_->initialPrnFormat = cmbInitialPrnFormat->currentText().toStdString();
    }
    BotonOk = true;
    accept();
}

frmCodigo::frmCodigo(QWidget* parent) : QDialog(parent) {
    setObjectName("frmCodigo");
    setWindowTitle(QStringLiteral("Sub-Programa"));
    SetHelpTopic(*this, kHelpId);
    txtCode = Named(new QPlainTextEdit(this), "txtCode");
    txtCode->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    txtCode->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtCode->setTabStopDistance(4 * txtCode->fontMetrics().horizontalAdvance(QLatin1Char(' ')));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtCode);
    layout->addLayout(Buttons(this, cmdOK, cmdCancel));
    connect(cmdOK, &QPushButton::clicked, this, &frmCodigo::OnOk);
    resize(640, 480);
}

void frmCodigo::Editar(const std::shared_ptr<Orvane>& report) {
    report_ = report;
    txtCode->setPlainText(Q(report->Code));
}

// The box gives lines joined by LF; the code keeps the breaks it had (CR LF
// unless they were LF alone), so accepting untouched code changes nothing.
void frmCodigo::OnOk() {
    if (report_) {
        QString text = txtCode->toPlainText();
        const std::string& stored = report_->Code;
        const bool lfOnly = stored.find('\n') != std::string::npos && stored.find("\r\n") == std::string::npos;
        if (!lfOnly) text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
        report_->Code = text.toStdString();
    }
    BotonOk = true;
    accept();
}

}  // namespace orvane::designer
