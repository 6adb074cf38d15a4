// The message-box seam. The library shows its few messages to the user only
// through here: the designer installs a window-system sink, a headless host
// keeps the default one (standard error), tests install a recording one.
#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <orvanespt/platform/Export.h>

namespace orvane::platform {

/// The buttons a message box offers.
enum class MsgButtons {
    Ok,     ///< an OK button
    YesNo,              ///< Yes and No buttons
    SaveDiscardCancel,  ///< "Guardar", "No guardar" and "Cancelar", before unsaved work is dropped
};

/// The icon a message box shows.
enum class MsgIcon {
    None,
    Information,
    Exclamation,
    Critical,  ///< critical stop
    Question,
};

/// The button chosen; also names the button that Enter chooses.
enum class MsgAnswer { Ok, Yes, No, Save, Discard, Cancel };

/// Where the library's messages go: the host installs its own (a dialog
/// box) with SetMessageSink; the default writes to standard error.
class ORVANE_API MessageSink {
public:
    virtual ~MessageSink() = default;
    /// Shows one modal message and returns the button chosen. An empty title
    /// means the application's title.
    virtual MsgAnswer Show(const std::string& text, MsgButtons buttons, MsgIcon icon, const std::string& title) = 0;
    /// The same, with the button that Enter chooses. A sink that presses no
    /// buttons may keep this one, which leaves the choice to Show.
    virtual MsgAnswer ShowWithDefault(const std::string& text, MsgButtons buttons, MsgIcon icon,
                                      const std::string& title, MsgAnswer defaultButton) {
        (void)defaultButton;
        return Show(text, buttons, icon, title);
    }
    /// The same, with a longer text the person may unfold (the cause of a
    /// failure, the statement that failed). A sink with no room for it may
    /// keep this one, which drops the details.
    virtual MsgAnswer ShowWithDetails(const std::string& text, const std::string& details, MsgButtons buttons,
                                      MsgIcon icon, const std::string& title) {
        (void)details;
        return Show(text, buttons, icon, title);
    }
};

/// Writes "title: text" to standard error, the details on the lines after
/// it; answers Ok, No to a question, and Cancel to the question before
/// unsaved work is dropped.
class ORVANE_API StderrMessages : public MessageSink {
public:
    MsgAnswer Show(const std::string& text, MsgButtons buttons, MsgIcon icon, const std::string& title) override;
    MsgAnswer ShowWithDetails(const std::string& text, const std::string& details, MsgButtons buttons, MsgIcon icon,
                              const std::string& title) override;
};

/// Keeps every message; answers from a script of answers, then as the
/// standard-error sink does.
class ORVANE_API RecordingMessages : public MessageSink {
public:
    /// One message as it was shown.
    struct Message {
        std::string text;     ///< the message
        MsgButtons buttons;   ///< the buttons offered
        MsgIcon icon;         ///< the icon shown
        std::string title;    ///< the title; the application's when none was given
        std::optional<MsgAnswer> defaultButton;  ///< none: the box's own choice
        std::string details;                     ///< "" when none were given
    };
    MsgAnswer Show(const std::string& text, MsgButtons buttons, MsgIcon icon, const std::string& title) override;
    MsgAnswer ShowWithDefault(const std::string& text, MsgButtons buttons, MsgIcon icon, const std::string& title,
                              MsgAnswer defaultButton) override;
    MsgAnswer ShowWithDetails(const std::string& text, const std::string& details, MsgButtons buttons, MsgIcon icon,
                              const std::string& title) override;
    /// Adds an answer to the script: the next message is answered with it.
    void QueueAnswer(MsgAnswer a);
    /// Every message shown so far, in order.
    std::vector<Message> Taken() const;
    /// Forgets the messages and the answers not used yet.
    void Clear();

private:
    MsgAnswer Take(Message message);
    mutable std::mutex mu_;
    std::vector<Message> messages_;
    std::deque<MsgAnswer> answers_;
};

/// Shows a message through the installed sink; defaultButton, when given,
/// is the answer Enter chooses.
ORVANE_API MsgAnswer ShowMessage(const std::string& text, MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None,
                      const std::string& title = {}, std::optional<MsgAnswer> defaultButton = std::nullopt);

/// Shows a message with details the person may unfold; the button Enter
/// chooses is the sink's own.
ORVANE_API MsgAnswer ShowMessageWithDetails(const std::string& text, const std::string& details,
                                 MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None,
                                 const std::string& title = {});

/// Installs the sink used from now on (null restores the standard-error one);
/// returns the one that was installed.
ORVANE_API std::shared_ptr<MessageSink> SetMessageSink(std::shared_ptr<MessageSink> sink);

/// The default title of every message box ("OrvaneSpt" unless the host sets it).
///@{
ORVANE_API std::string ApplicationTitle();
ORVANE_API void SetApplicationTitle(const std::string& title);
///@}

/// Installs a sink for the lifetime of the object.
class ORVANE_API ScopedMessageSink {
public:
    /// Installs sink until this object is destroyed, then puts the previous one back.
    explicit ScopedMessageSink(std::shared_ptr<MessageSink> sink) : previous_(SetMessageSink(std::move(sink))) {}
    ~ScopedMessageSink() { SetMessageSink(previous_); }
    ScopedMessageSink(const ScopedMessageSink&) = delete;
    ScopedMessageSink& operator=(const ScopedMessageSink&) = delete;

private:
    std::shared_ptr<MessageSink> previous_;
};

}  // namespace orvane::platform
