#include <orvanespt/designer/qt/CheckDialog.h>

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvane::designer {

DlgRevisar::DlgRevisar(QWidget* parent) : QDialog(parent) {
    setObjectName("DlgRevisar");
    setWindowTitle(QStringLiteral("Revisar reporte"));
    lstHallazgos = new QListWidget(this);
    lstHallazgos->setObjectName("lstHallazgos");
    cmdIr = new QPushButton(QStringLiteral("&Ir"), this);
    cmdIr->setObjectName("cmdIr");
    cmdIr->setDefault(true);
    cmdCerrar = new QPushButton(QStringLiteral("&Cerrar"), this);
    cmdCerrar->setObjectName("cmdCerrar");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdIr);
    buttons->addWidget(cmdCerrar);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lstHallazgos);
    layout->addLayout(buttons);
    resize(640, 320);
    connect(cmdIr, &QPushButton::clicked, this, [this] {
        if (Chosen() >= 0) accept();
    });
    connect(cmdCerrar, &QPushButton::clicked, this, &QDialog::reject);
    connect(lstHallazgos, &QListWidget::itemActivated, this, [this] { accept(); });
}

void DlgRevisar::SetFindings(const std::vector<data::Finding>& findings) {
    lstHallazgos->clear();
    for (const auto& f : findings) {
        const std::string place = data::PlaceText(f.place);
        lstHallazgos->addItem(QString::fromStdString(place.empty() ? f.message : place + ": " + f.message));
    }
    if (lstHallazgos->count() > 0) lstHallazgos->setCurrentRow(0);
}

int DlgRevisar::Chosen() const {
    return lstHallazgos->currentRow();
}

std::string NodeKeyOf(const std::vector<data::PlaceStep>& place) {
    using Kind = data::PlaceStep::Kind;
    for (auto step = place.rbegin(); step != place.rend(); ++step) {
        switch (step->kind) {
            case Kind::Connection:
                return "Cnn_" + step->name;
            case Kind::RecordSource:
                return "Rst_" + step->name;
            case Kind::Parameter:
                return "Prm_" + step->name;
            case Kind::Dialog:
                return "Dlg_" + step->name;
            case Kind::Format:
                return "Fmt_" + step->name;
            case Kind::Control:
            case Kind::Resource:
                break;
        }
    }
    return {};
}

}  // namespace orvane::designer
