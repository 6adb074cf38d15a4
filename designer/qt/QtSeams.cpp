#include "designer/qt/QtSeams.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include "designer/DesignerDialogs.h"
#include "designer/qt/DesignForm.h"
#include "designer/qt/QtDesignerDialogs.h"

namespace orvane::designer {

namespace {

QMessageBox::Icon ToQtIcon(platform::MsgIcon icon) {
    switch (icon) {
        case platform::MsgIcon::Information:
            return QMessageBox::Information;
        case platform::MsgIcon::Exclamation:
            return QMessageBox::Warning;
        case platform::MsgIcon::Critical:
            return QMessageBox::Critical;
        case platform::MsgIcon::Question:
            return QMessageBox::Question;
        case platform::MsgIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

ModalRunner& Runner() {
    static ModalRunner runner;
    return runner;
}

FileChooser& Chooser() {
    static FileChooser chooser;
    return chooser;
}

}  // namespace

platform::MsgAnswer QtMessageSink::Show(const std::string& text, platform::MsgButtons buttons,
                                        platform::MsgIcon icon, const std::string& title) {
    const std::string shown = title.empty() ? platform::ApplicationTitle() : title;
    const bool question = buttons == platform::MsgButtons::YesNo;
    QMessageBox box(ToQtIcon(icon), QString::fromStdString(shown), QString::fromStdString(text),
                    question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, QApplication::activeWindow());
    if (question) {
        box.button(QMessageBox::Yes)->setText(QStringLiteral("&Sí"));
        box.button(QMessageBox::No)->setText(QStringLiteral("&No"));
    }
    const int chosen = RunModal(box);
    if (!question) return platform::MsgAnswer::Ok;
    return chosen == QMessageBox::Yes ? platform::MsgAnswer::Yes : platform::MsgAnswer::No;
}

QtHelpViewer::QtHelpViewer(UrlOpener opener) : opener_(std::move(opener)) {
    if (!opener_) opener_ = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

bool QtHelpViewer::Open(const std::string& file, int contextId) {
    const QFileInfo index(QString::fromStdString(file));
    QString page = index.absoluteFilePath();
    if (contextId >= 1) {
        const QString topic = index.absolutePath() + QStringLiteral("/orvane-%1.html").arg(contextId);
        if (QFileInfo::exists(topic)) page = topic;
    }
    return opener_(QUrl::fromLocalFile(page));
}

int RunModal(QDialog& dialog) {
    if (Runner()) return Runner()(dialog);
    return dialog.exec();
}

ModalRunner SetModalRunner(ModalRunner runner) {
    auto previous = std::move(Runner());
    Runner() = std::move(runner);
    return previous;
}

QString ChooseFile(QWidget* parent, const QString& caption, const QString& filter, bool save) {
    if (Chooser()) return Chooser()(parent, caption, filter, save);
    return save ? QFileDialog::getSaveFileName(parent, caption, QString(), filter)
                : QFileDialog::getOpenFileName(parent, caption, QString(), filter);
}

FileChooser SetFileChooser(FileChooser chooser) {
    auto previous = std::move(Chooser());
    Chooser() = std::move(chooser);
    return previous;
}

void InstallQtSeams() {
    platform::SetMessageSink(std::make_shared<QtMessageSink>());
    platform::SetHelpViewer(std::make_shared<QtHelpViewer>());
    SetDesignerDialogs(std::make_shared<QtDesignerDialogs>());
    InstallFormulaDesigner();
}

}  // namespace orvane::designer
