// The window-system side of the component's seams, for the Qt designer:
// message boxes, the modal runner every dialog is shown through, file
// choosers, and the help viewer that opens our HTML help pages in the
// desktop's browser. Tests replace the runner and the file chooser to drive
// the dialogs as a person would, without real modal loops.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>

#include <orvanespt/platform/Help.h>
#include <orvanespt/platform/Messages.h>

class QDialog;
class QLineEdit;
class QWidget;
class QUrl;

namespace orvane::designer {

// Shows one modal message with QMessageBox: the button set with Spanish
// captions, the icon, the button Enter chooses (Yes, or Save, unless named),
// the application's title when the title is empty, and any details behind
// the box's own button that unfolds them.
class QtMessageSink : public platform::MessageSink {
public:
    platform::MsgAnswer Show(const std::string& text, platform::MsgButtons buttons, platform::MsgIcon icon,
                             const std::string& title) override;
    platform::MsgAnswer ShowWithDefault(const std::string& text, platform::MsgButtons buttons,
                                        platform::MsgIcon icon, const std::string& title,
                                        platform::MsgAnswer defaultButton) override;
    platform::MsgAnswer ShowWithDetails(const std::string& text, const std::string& details,
                                        platform::MsgButtons buttons, platform::MsgIcon icon,
                                        const std::string& title) override;

private:
    platform::MsgAnswer Present(const std::string& text, const std::string& details, platform::MsgButtons buttons,
                                platform::MsgIcon icon, const std::string& title, platform::MsgAnswer defaultButton);
};

// Opens the help in the desktop's browser: the index page for a context id
// below 1, otherwise the topic page "orvane-ID.html" beside it, or the index
// when that topic has no page. False, after a message naming the page, when
// no program could show it.
class QtHelpViewer : public platform::HelpViewer {
public:
    using UrlOpener = std::function<bool(const QUrl&)>;
    // opener defaults to QDesktopServices::openUrl.
    explicit QtHelpViewer(UrlOpener opener = {});
    bool Open(const std::string& file, int contextId) override;

private:
    UrlOpener opener_;
};

// Shows a dialog modally and returns its result (QDialog::Accepted or
// Rejected). The default runs exec().
using ModalRunner = std::function<int(QDialog&)>;
int RunModal(QDialog& dialog);
// Installs the runner used from now on (empty restores exec()); returns the
// previous one.
ModalRunner SetModalRunner(ModalRunner runner);

// Asks for a file to open (save false) or to save; "" when cancelled. start
// is the folder to open in, or the file name offered.
using FileChooser = std::function<QString(QWidget* parent, const QString& caption, const QString& filter, bool save,
                                          const QString& start)>;
QString ChooseFile(QWidget* parent, const QString& caption, const QString& filter, bool save,
                   const QString& start = {});
// Installs the chooser (empty restores QFileDialog); returns the previous one.
FileChooser SetFileChooser(FileChooser chooser);

// The rule the name dialogs ask on "&Aceptar": the message for a name that
// another item already has, or "". The editor window installs one for the
// item it edits; with none installed every name passes.
using NameRule = std::function<std::string(const std::string& name)>;
class ScopedNameRule {
public:
    explicit ScopedNameRule(NameRule rule);
    ~ScopedNameRule();
    ScopedNameRule(const ScopedNameRule&) = delete;
    ScopedNameRule& operator=(const ScopedNameRule&) = delete;

private:
    NameRule previous_;
};
// True when the name in edit passes the installed rule. Otherwise shows the
// rule's message and selects the name, so the dialog stays open to fix it.
bool NameAccepted(QLineEdit* edit);

// The help topic F1 opens in a dialog shown through RunModal (the index
// when none is set).
void SetHelpTopic(QDialog& dialog, int contextId);

// Installs the message sink, the help viewer, the designer dialogs and the
// formula designer.
void InstallQtSeams();

// The folder of the help pages for a program in programFolder: "help" beside
// it in the build tree, or the installed share/orvanespt/help above it; ""
// when neither holds the index page.
QString HelpFolderBeside(const QString& programFolder);

// Loads Qt's own Spanish texts (standard buttons, file dialogs) when they are
// installed; false when they are not.
bool LoadSpanishTranslations();

}  // namespace orvane::designer
