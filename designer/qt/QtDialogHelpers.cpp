// The designer's dialog helpers: the modal runner every dialog is shown
// through (with F1 for its help topic), the file chooser, and the name rule
// the name dialogs check. Tests replace the runner and the chooser.
#include <orvanespt/designer/qt/QtSeams.h>

#include <QDialog>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSettings>

#include <orvanespt/model/Help.h>

namespace orvane::designer {

namespace {

ModalRunner& Runner() {
    static ModalRunner runner;
    return runner;
}

FileChooser& Chooser() {
    static FileChooser chooser;
    return chooser;
}

NameRule& Rule() {
    static NameRule rule;
    return rule;
}

constexpr const char* kHelpTopic = "orvaneHelpTopic";

// F1 anywhere in a dialog: the key reaches the dialog when the focused
// widget has no use for it.
class HelpKey : public QObject {
public:
    explicit HelpKey(QDialog* dialog) : QObject(dialog) { setObjectName("helpKey"); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1) return false;
        ShowHelp(watched, watched->property(kHelpTopic).toInt());
        return true;
    }
};

}  // namespace

int RunModal(QDialog& dialog) {
    if (!dialog.findChild<HelpKey*>("helpKey", Qt::FindDirectChildrenOnly))
        dialog.installEventFilter(new HelpKey(&dialog));
    if (Runner()) return Runner()(dialog);
    return dialog.exec();
}

ModalRunner SetModalRunner(ModalRunner runner) {
    auto previous = std::move(Runner());
    Runner() = std::move(runner);
    return previous;
}

QString ChooseFile(QWidget* parent, const QString& caption, const QString& filter, bool save, const QString& start) {
    if (Chooser()) return Chooser()(parent, caption, filter, save, start);
    QFileDialog d(parent, caption, start, filter);
    d.setObjectName("dlgArchivo");
    d.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    d.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // Large enough for the name, size, type and date columns, then as the person left it.
    d.setViewMode(QFileDialog::Detail);
    QSettings settings(QStringLiteral("OrvaneSpt"), QStringLiteral("orvane-designer"));
    d.resize(settings.value(QStringLiteral("dialogoArchivos"), QSize(880, 540)).toSize());
    const bool chosen = RunModal(d) == QDialog::Accepted;
    settings.setValue(QStringLiteral("dialogoArchivos"), d.size());
    return chosen ? d.selectedFiles().value(0) : QString();
}

FileChooser SetFileChooser(FileChooser chooser) {
    auto previous = std::move(Chooser());
    Chooser() = std::move(chooser);
    return previous;
}

ScopedNameRule::ScopedNameRule(NameRule rule) : previous_(std::move(Rule())) { Rule() = std::move(rule); }

ScopedNameRule::~ScopedNameRule() { Rule() = std::move(previous_); }

bool NameAccepted(QLineEdit* edit) {
    const std::string taken = Rule() ? Rule()(edit->text().toStdString()) : std::string();
    if (taken.empty()) return true;
    platform::ShowMessage(taken, platform::MsgButtons::Ok, platform::MsgIcon::Information);
    edit->setFocus();
    edit->selectAll();
    return false;
}

void SetHelpTopic(QDialog& dialog, int contextId) { dialog.setProperty(kHelpTopic, contextId); }

}  // namespace orvane::designer
