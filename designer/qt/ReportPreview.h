// dlgProbarReporte: the whole-report preview ("Probar reporte"). Asks for the
// parameters in a form built from their types, walks the report's data as
// `orvane run` does (on a copy: the definition is not touched) and shows the
// walk as a tree of steps, record sources and rows, with row counts and the
// time taken; the walk can be copied as the JSON `orvane run --format json`
// prints.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include <orvanespt/model/Orvane.h>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace orvane::designer {

class dlgProbarReporte : public QDialog {
    Q_OBJECT
public:
    explicit dlgProbarReporte(QWidget* parent = nullptr);

    // Builds the form for report's parameters, their defaults filled in.
    // Relative file names in its connection strings are looked for beside
    // loadedFrom, the file it was read from.
    void SetReport(const Orvane& report, const std::string& loadedFrom);
    // Walks the data with the values of the form and shows the walk. False,
    // after a message naming the connection or record source that did not
    // open and why, when it could not run.
    bool Probar();
    // The last walk as `orvane run --format json` prints it; "" before one.
    const QString& Json() const { return json_; }

    QTreeWidget* tvwPasos;
    QLabel* lblResumen;
    QPushButton* cmdProbar;
    QPushButton* cmdCopiar;
    QPushButton* cmdCerrar;

    // The most steps shown: a walk longer than that is cut, and says so.
    static constexpr std::size_t kMaxSteps = 5000;

private:
    void ApplyForm(Orvane& rpt) const;
    std::string xml_;
    std::string loadedFrom_;
    QWidget* form_;
    QString json_;
};

}  // namespace orvane::designer
