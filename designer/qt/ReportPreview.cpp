#include <orvanespt/designer/qt/ReportPreview.h>

#include <QBrush>
#include <QCheckBox>
#include <QClipboard>
#include <QDateTimeEdit>
#include <QElapsedTimer>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <orvanespt/data/ParameterTypes.h>
#include <orvanespt/data/WalkSteps.h>
#include <orvanespt/designer/qt/QtSeams.h>
#include <orvanespt/platform/DateTime.h>
#include <orvanespt/platform/Messages.h>
#include <orvanespt/platform/Text.h>

namespace orvane::designer {

namespace {

constexpr int kHelpId = 10041;
constexpr const char* kFormat = "orvaneFormato";  // a date picker's value pattern

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// Decided here: a parameter takes a list when a query or filter of the
// report uses its macro as the whole of an "IN (...)".
bool TakesList(const Orvane& rpt, const std::string& name) {
    const QRegularExpression in(
        QStringLiteral("\\bIN\\s*\\(\\s*@(\\{\\s*)?%1(\\s*\\})?\\s*\\)").arg(QRegularExpression::escape(Q(name))),
        QRegularExpression::CaseInsensitiveOption);
    bool found = false;
    auto look = [&](const std::shared_ptr<Collection<eRSource>>& list, auto&& self) -> void {
        if (!list) return;
        for (const auto& rs : *list) {
            if (!rs) continue;
            found = found || in.match(Q(rs->SQLCommand)).hasMatch() || in.match(Q(rs->Filter)).hasMatch();
            self(rs->eRSources, self);
        }
    };
    for (const auto& c : *rpt.eConections)
        if (c) look(c->eRSources, look);
    return found;
}

bool IsTrue(const std::string& text) {
    const std::string t = text::Lower(text::TrimBlanks(text));
    return t == "true" || t == "verdadero" || t == "-1" || t == "1" || t == "sí" || t == "si";
}

// The editor of one parameter, by its type, holding its default.
QWidget* EditorFor(const Orvane& rpt, const eParameter& p, QWidget* parent) {
    const std::string value = p.Value.TextOr();
    QWidget* editor = nullptr;
    const auto category = AdoTypeCategory(p.eType());
    if (TakesList(rpt, p.Name)) {
        auto* list = new QListWidget(parent);
        if (!value.empty()) list->addItem(Q(value));
        for (int i = 0; i < list->count(); ++i) list->item(i)->setFlags(list->item(i)->flags() | Qt::ItemIsEditable);
        list->setMaximumHeight(90);
        editor = list;
    } else if (category == kCategoryTruth) {
        auto* check = new QCheckBox(parent);
        check->setChecked(IsTrue(value));
        editor = check;
    } else if (const auto date = ParseDateText(value); category == kCategoryDateTime && date) {
        // The value goes to the query as the parameter's own text form would.
        const bool withTime = date->HasTime();
        auto* picker = withTime ? new QDateTimeEdit(parent) : new QDateEdit(parent);
        picker->setCalendarPopup(true);
        picker->setDisplayFormat(withTime ? QStringLiteral("yyyy-MM-dd HH:mm:ss") : QStringLiteral("yyyy-MM-dd"));
        picker->setDateTime(
            QDateTime(QDate(date->Year, date->Month, date->Day), QTime(date->Hour, date->Minute, date->Second)));
        const std::string pattern = p.eType().rfind("strDateTime", 0) == 0
                                        ? p.SelectDTF(withTime ? "yyyy-mm-dd hh:nn:ss" : "yyyy-mm-dd")
                                        : (withTime ? "yyyy-mm-dd hh:nn:ss" : "yyyy-mm-dd");
        picker->setProperty(kFormat, Q(pattern));
        editor = picker;
    } else {
        editor = new QLineEdit(Q(value), parent);
    }
    editor->setObjectName(Q("prm_" + p.Name));
    return editor;
}

// A list's row of buttons to add and remove values.
QWidget* ListButtons(QListWidget* list, QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    auto* add = new QPushButton(QStringLiteral("Agregar valor"), box);
    auto* remove = new QPushButton(QStringLiteral("Quitar"), box);
    QObject::connect(add, &QPushButton::clicked, list, [list] {
        auto* item = new QListWidgetItem(QString(), list);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        list->setCurrentItem(item);
        list->editItem(item);
    });
    QObject::connect(remove, &QPushButton::clicked, list, [list] { delete list->currentItem(); });
    row->addWidget(add);
    row->addWidget(remove);
    row->addStretch();
    return box;
}

QString FieldsText(const data::WalkRow& row) {
    QStringList out;
    for (const auto& [name, value] : row.fields) out << Q(name + "=" + data::JsonValue(value));
    return out.join(QStringLiteral(", "));
}

QString Rows(std::size_t n) {
    return n == 1 ? QStringLiteral("1 fila") : QStringLiteral("%1 filas").arg(n);
}

std::size_t AddChildren(QTreeWidgetItem* parent, const std::vector<data::WalkChild>& children) {
    std::size_t rows = 0;
    for (const auto& child : children) {
        auto* node = new QTreeWidgetItem(parent, {Q(child.source), Rows(child.rows.size())});
        rows += child.rows.size();
        for (std::size_t i = 0; i < child.rows.size(); ++i) {
            auto* row = new QTreeWidgetItem(node, {QStringLiteral("fila %1").arg(i + 1), FieldsText(child.rows[i])});
            rows += AddChildren(row, child.rows[i].children);
        }
    }
    return rows;
}

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

}  // namespace

dlgProbarReporte::dlgProbarReporte(QWidget* parent) : QDialog(parent) {
    setObjectName("dlgProbarReporte");
    setWindowTitle(QStringLiteral("Probar reporte"));
    SetHelpTopic(*this, kHelpId);
    form_ = new QWidget(this);
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(form_);
    scroll->setWidgetResizable(true);
    scroll->setMaximumHeight(220);
    tvwPasos = new QTreeWidget(this);
    tvwPasos->setObjectName("tvwPasos");
    tvwPasos->setHeaderLabels({QStringLiteral("Paso, origen o fila"), QStringLiteral("Valores")});
    tvwPasos->header()->resizeSection(0, 220);
    lblResumen = new QLabel(this);
    lblResumen->setObjectName("lblResumen");
    cmdProbar = new QPushButton(QStringLiteral("&Probar"), this);
    cmdProbar->setObjectName("cmdProbar");
    cmdProbar->setDefault(true);
    cmdCopiar = new QPushButton(QStringLiteral("Copiar como &JSON"), this);
    cmdCopiar->setObjectName("cmdCopiar");
    cmdCopiar->setEnabled(false);
    cmdCerrar = new QPushButton(QStringLiteral("&Cerrar"), this);
    cmdCerrar->setObjectName("cmdCerrar");
    connect(cmdProbar, &QPushButton::clicked, this, &dlgProbarReporte::Probar);
    connect(cmdCopiar, &QPushButton::clicked, this, [this] { QGuiApplication::clipboard()->setText(json_); });
    connect(cmdCerrar, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdProbar);
    buttons->addWidget(cmdCopiar);
    buttons->addStretch();
    buttons->addWidget(cmdCerrar);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Parámetros:"), this));
    layout->addWidget(scroll);
    layout->addWidget(tvwPasos, 1);
    layout->addWidget(lblResumen);
    layout->addLayout(buttons);
    resize(820, 620);
}

void dlgProbarReporte::SetReport(const Orvane& report, const std::string& loadedFrom) {
    xml_ = report.ToXML();
    loadedFrom_ = loadedFrom;
    // The defaults as a run starts with them.
    Orvane shown;
    shown.FromXML(xml_);
    shown.IniParameters();
    auto* rows = new QFormLayout(form_);
    for (const auto& p : *shown.eParameters) {
        if (!p) continue;
        QWidget* editor = EditorFor(shown, *p, form_);
        rows->addRow(Q(p->Name + ":"), editor);
        if (auto* list = qobject_cast<QListWidget*>(editor)) rows->addRow(QString(), ListButtons(list, form_));
    }
    if (rows->rowCount() == 0) rows->addRow(new QLabel(QStringLiteral("(el reporte no tiene parámetros)"), form_));
}

// What the form holds goes to each parameter as `orvane run -p` gives it:
// one value as the value, two or more as the parameter's list.
void dlgProbarReporte::ApplyForm(Orvane& rpt) const {
    for (const auto& p : *rpt.eParameters) {
        auto* editor = p ? form_->findChild<QWidget*>(Q("prm_" + p->Name)) : nullptr;
        if (!editor) continue;
        if (auto* list = qobject_cast<QListWidget*>(editor)) {
            std::vector<Variant> values;
            for (int i = 0; i < list->count(); ++i) values.emplace_back(list->item(i)->text().toStdString());
            if (values.size() == 1) p->Value = std::move(values.front());
            if (values.size() > 1) p->Values = std::move(values);
        } else if (auto* check = qobject_cast<QCheckBox*>(editor)) {
            p->Value = Variant(std::string(check->isChecked() ? "True" : "False"));
        } else if (auto* picker = qobject_cast<QDateTimeEdit*>(editor)) {
            const QDateTime at = picker->dateTime();
            const DateTime value{at.date().year(), at.date().month(),  at.date().day(),
                                 at.time().hour(), at.time().minute(), at.time().second()};
            p->Value = Variant(FormatDateTime(value, picker->property(kFormat).toString().toStdString()));
        } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            p->Value = Variant(edit->text().toStdString());
        }
    }
}

bool dlgProbarReporte::Probar() {
    tvwPasos->clear();
    lblResumen->clear();
    json_.clear();
    cmdCopiar->setEnabled(false);
    auto rpt = std::make_shared<Orvane>();
    rpt->FromXML(xml_);
    rpt->LoadedFrom = loadedFrom_;
    rpt->IniParameters();
    ApplyForm(*rpt);
    const std::string parameters = data::ParametersJson(*rpt);
    // As orvane run: a top-level record source's design-time filter and sort are applied.
    data::ForEachTopLevel(*rpt, [](eRSource& rs) {
        rs.RTFilter = rs.Filter;
        rs.RTOrder = rs.Order;
    });
    QElapsedTimer clock;
    clock.start();
    for (const auto& cnn : *rpt->eConections) {
        if (cnn && !cnn->OpenConnection()) {
            platform::ShowMessage("No se pudo abrir la conexión \"" + cnn->Name + "\": " + OneLine(cnn->LastOpenError),
                                  platform::MsgButtons::Ok, platform::MsgIcon::Exclamation);
            return false;
        }
    }
    std::string failed;
    data::ForEachTopLevel(*rpt, [&failed](eRSource& rs) {
        if (failed.empty() && !rs.OpenRecordsource())
            failed = "No se pudo abrir el origen de registros \"" + rs.Name + "\": " + OneLine(rs.LastOpenError);
    });
    if (!failed.empty()) {
        platform::ShowMessage(failed, platform::MsgButtons::Ok, platform::MsgIcon::Exclamation);
        return false;
    }
    std::string json = "{\"report\":" + data::JsonText(rpt->Name) + ",\"parameters\":" + parameters + ",\"steps\":[";
    std::size_t steps = 0, rows = 0;
    // A step that fell short says so under its node, as orvane run warns.
    const auto warn = [](QTreeWidgetItem* node, std::size_t step, const std::string& source, const std::string& why) {
        auto* item = new QTreeWidgetItem(node, {Q(data::StepWarning(step, source, why))});
        item->setFirstColumnSpanned(true);
        item->setForeground(0, QBrush(Qt::darkRed));
    };
    while (!rpt->EOF_All() && steps < kMaxSteps) {
        std::vector<data::WalkProblem> problems;
        const data::WalkStep step = data::CurrentStep(*rpt, problems);
        ++steps;
        json += (steps > 1 ? ",\n" : "\n") + data::StepJson(step);
        auto* node = new QTreeWidgetItem(tvwPasos, {QStringLiteral("Paso %1").arg(steps)});
        for (const auto& p : problems) warn(node, steps, p.source, p.why);
        for (const auto& record : step) {
            auto* top = new QTreeWidgetItem(node, {Q(record.source), FieldsText(record.row)});
            rows += 1 + AddChildren(top, record.row.children);
        }
        if (!rpt->MoveNext_All())
            data::ForEachTopLevel(*rpt, [&](eRSource& rs) {
                if (!rs.LastOpenError.empty()) warn(node, steps, rs.Name, rs.LastOpenError);
            });
    }
    json += (steps > 0 ? "\n" : "") + std::string("]}\n");
    const bool cut = !rpt->EOF_All();
    json_ = Q(json);
    cmdCopiar->setEnabled(true);
    tvwPasos->expandToDepth(0);
    lblResumen->setText(
        QStringLiteral("%1 %2, %3 en total, en %4 ms%5")
            .arg(steps)
            .arg(steps == 1 ? QStringLiteral("paso") : QStringLiteral("pasos"))
            .arg(Rows(rows))
            .arg(clock.elapsed())
            .arg(cut ? QStringLiteral(" (se muestran los primeros %1 pasos)").arg(kMaxSteps) : QString()));
    return true;
}

}  // namespace orvane::designer
