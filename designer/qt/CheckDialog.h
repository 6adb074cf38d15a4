// "Revisar reporte": the mistakes the report check finds, one a line, and
// the way from one of them to the item's node in the tree.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include <orvanespt/data/ReportCheck.h>

class QListWidget;
class QPushButton;

namespace orvane::designer {

// Lists the findings as "place: message"; "&Ir", Enter or a double click on
// a line closes it accepted with that line chosen, "&Cerrar" rejects it.
class DlgRevisar : public QDialog {
    Q_OBJECT
public:
    explicit DlgRevisar(QWidget* parent = nullptr);
    void SetFindings(const std::vector<data::Finding>& findings);
    // The position of the finding chosen, or -1.
    int Chosen() const;

    QListWidget* lstHallazgos;
    QPushButton* cmdIr;
    QPushButton* cmdCerrar;
};

// The tree key of the node that stands for the item of a finding's place:
// the last connection, record source, parameter, dialog or print format on
// the way (a control or a resource is shown by its owner's node); "" when
// the place names none.
std::string NodeKeyOf(const std::vector<data::PlaceStep>& place);

}  // namespace orvane::designer
