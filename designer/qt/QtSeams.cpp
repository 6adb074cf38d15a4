// The window-system side of the component's seams and their installing: the
// message boxes, the help viewer, the designer dialogs and the formula
// designer, the help folder beside the program and Qt's own Spanish texts.
#include <orvanespt/designer/qt/QtSeams.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <vector>

#include <orvanespt/designer/DesignerDialogs.h>
#include <orvanespt/designer/qt/DesignForm.h>
#include <orvanespt/designer/qt/QtDesignerDialogs.h>

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

// Yes is a question's Enter answer unless the caller names another.
platform::MsgAnswer OwnDefault(platform::MsgButtons buttons) {
    return buttons == platform::MsgButtons::SaveDiscardCancel ? platform::MsgAnswer::Save : platform::MsgAnswer::Yes;
}

}  // namespace

platform::MsgAnswer QtMessageSink::Show(const std::string& text, platform::MsgButtons buttons,
                                        platform::MsgIcon icon, const std::string& title) {
    return Present(text, {}, buttons, icon, title, OwnDefault(buttons));
}

platform::MsgAnswer QtMessageSink::ShowWithDefault(const std::string& text, platform::MsgButtons buttons,
                                                   platform::MsgIcon icon, const std::string& title,
                                                   platform::MsgAnswer defaultButton) {
    return Present(text, {}, buttons, icon, title, defaultButton);
}

platform::MsgAnswer QtMessageSink::ShowWithDetails(const std::string& text, const std::string& details,
                                                   platform::MsgButtons buttons, platform::MsgIcon icon,
                                                   const std::string& title) {
    return Present(text, details, buttons, icon, title, OwnDefault(buttons));
}

platform::MsgAnswer QtMessageSink::Present(const std::string& text, const std::string& details,
                                           platform::MsgButtons buttons, platform::MsgIcon icon,
                                           const std::string& title, platform::MsgAnswer defaultButton) {
    using platform::MsgAnswer;
    const std::string shown = title.empty() ? platform::ApplicationTitle() : title;
    QMessageBox box(ToQtIcon(icon), QString::fromStdString(shown), QString::fromStdString(text),
                    QMessageBox::NoButton, QApplication::activeWindow());
    if (!details.empty()) box.setDetailedText(QString::fromStdString(details));
    struct Choice {
        MsgAnswer answer;
        QMessageBox::StandardButton button;
        const char* caption;
    };
    std::vector<Choice> choices;
    switch (buttons) {
        case platform::MsgButtons::YesNo:
            choices = {{MsgAnswer::Yes, QMessageBox::Yes, "&Sí"}, {MsgAnswer::No, QMessageBox::No, "&No"}};
            break;
        case platform::MsgButtons::SaveDiscardCancel:
            choices = {{MsgAnswer::Save, QMessageBox::Save, "&Guardar"},
                       {MsgAnswer::Discard, QMessageBox::Discard, "&No guardar"},
                       {MsgAnswer::Cancel, QMessageBox::Cancel, "&Cancelar"}};
            break;
        case platform::MsgButtons::Ok:
            choices = {{MsgAnswer::Ok, QMessageBox::Ok, "&Aceptar"}};
            break;
    }
    for (const Choice& c : choices) {
        QAbstractButton* b = box.addButton(c.button);
        b->setText(QString::fromUtf8(c.caption));
        if (c.answer == defaultButton || box.buttons().size() == 1) box.setDefaultButton(static_cast<QPushButton*>(b));
    }
    const int chosen = RunModal(box);
    for (const Choice& c : choices)
        if (chosen == c.button) return c.answer;
    // Closed without a button (Escape, the window's close box): the safe answer.
    return buttons == platform::MsgButtons::Ok                  ? MsgAnswer::Ok
           : buttons == platform::MsgButtons::SaveDiscardCancel ? MsgAnswer::Cancel
                                                                : MsgAnswer::No;
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
    if (opener_(QUrl::fromLocalFile(page))) return true;
    platform::ShowMessage("No hay ningún programa que pueda mostrar la ayuda. Ábrala con un navegador: " +
                              page.toStdString(),
                          platform::MsgButtons::Ok, platform::MsgIcon::Exclamation);
    return false;
}


void InstallQtSeams() {
    platform::SetMessageSink(std::make_shared<QtMessageSink>());
    platform::SetHelpViewer(std::make_shared<QtHelpViewer>());
    SetDesignerDialogs(std::make_shared<QtDesignerDialogs>());
    InstallFormulaDesigner();
}

QString HelpFolderBeside(const QString& programFolder) {
    const QDir dir(programFolder);
    for (const QString& candidate : {dir.filePath(QStringLiteral("help")),
                                     dir.filePath(QStringLiteral("../share/orvanespt/help"))}) {
        if (QFileInfo::exists(candidate + QStringLiteral("/orvane.html"))) return QDir::cleanPath(candidate);
    }
    return {};
}

bool LoadSpanishTranslations() {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    bool loaded = false;
    for (const char* name : {"qtbase_es", "qt_es"}) {
        auto* translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(QString::fromLatin1(name), folder) && QCoreApplication::installTranslator(translator)) {
            loaded = true;
            break;  // qt_es only gathers the modules' files, qtbase_es among them
        }
        delete translator;
    }
    return loaded;
}

}  // namespace orvane::designer
