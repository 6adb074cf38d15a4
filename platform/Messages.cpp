#include <orvanespt/platform/Messages.h>

#include <iostream>

namespace orvane::platform {
namespace {

std::mutex g_mu;
std::shared_ptr<MessageSink> g_sink;
std::string g_title = "OrvaneSpt";

std::shared_ptr<MessageSink> CurrentSink() {
    std::lock_guard lock(g_mu);
    if (!g_sink) g_sink = std::make_shared<StderrMessages>();
    return g_sink;
}

// Nobody to ask: keep what is there.
MsgAnswer UnattendedAnswer(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::YesNo:
            return MsgAnswer::No;
        case MsgButtons::SaveDiscardCancel:
            return MsgAnswer::Cancel;
        case MsgButtons::Ok:
            break;
    }
    return MsgAnswer::Ok;
}

}  // namespace

MsgAnswer StderrMessages::Show(const std::string& text, MsgButtons buttons, MsgIcon, const std::string& title) {
    std::cerr << (title.empty() ? ApplicationTitle() : title) << ": " << text << std::endl;
    return UnattendedAnswer(buttons);
}

MsgAnswer StderrMessages::ShowWithDetails(const std::string& text, const std::string& details, MsgButtons buttons,
                                          MsgIcon icon, const std::string& title) {
    const MsgAnswer answer = Show(text, buttons, icon, title);
    if (!details.empty()) std::cerr << details << std::endl;
    return answer;
}

MsgAnswer RecordingMessages::Show(const std::string& text, MsgButtons buttons, MsgIcon icon, const std::string& title) {
    return Take({text, buttons, icon, title, std::nullopt, {}});
}

MsgAnswer RecordingMessages::ShowWithDefault(const std::string& text, MsgButtons buttons, MsgIcon icon,
                                             const std::string& title, MsgAnswer defaultButton) {
    return Take({text, buttons, icon, title, defaultButton, {}});
}

MsgAnswer RecordingMessages::ShowWithDetails(const std::string& text, const std::string& details, MsgButtons buttons,
                                             MsgIcon icon, const std::string& title) {
    return Take({text, buttons, icon, title, std::nullopt, details});
}

MsgAnswer RecordingMessages::Take(Message message) {
    std::lock_guard lock(mu_);
    if (message.title.empty()) message.title = ApplicationTitle();
    const MsgButtons buttons = message.buttons;
    messages_.push_back(std::move(message));
    if (!answers_.empty()) {
        MsgAnswer a = answers_.front();
        answers_.pop_front();
        return a;
    }
    return UnattendedAnswer(buttons);
}

void RecordingMessages::QueueAnswer(MsgAnswer a) {
    std::lock_guard lock(mu_);
    answers_.push_back(a);
}

std::vector<RecordingMessages::Message> RecordingMessages::Taken() const {
    std::lock_guard lock(mu_);
    return messages_;
}

void RecordingMessages::Clear() {
    std::lock_guard lock(mu_);
    messages_.clear();
    answers_.clear();
}

MsgAnswer ShowMessage(const std::string& text, MsgButtons buttons, MsgIcon icon, const std::string& title,
                      std::optional<MsgAnswer> defaultButton) {
    if (defaultButton) return CurrentSink()->ShowWithDefault(text, buttons, icon, title, *defaultButton);
    return CurrentSink()->Show(text, buttons, icon, title);
}

MsgAnswer ShowMessageWithDetails(const std::string& text, const std::string& details, MsgButtons buttons, MsgIcon icon,
                                 const std::string& title) {
    return CurrentSink()->ShowWithDetails(text, details, buttons, icon, title);
}

std::shared_ptr<MessageSink> SetMessageSink(std::shared_ptr<MessageSink> sink) {
    std::lock_guard lock(g_mu);
    auto previous = g_sink;
    g_sink = std::move(sink);
    return previous;
}

std::string ApplicationTitle() {
    std::lock_guard lock(g_mu);
    return g_title;
}

void SetApplicationTitle(const std::string& title) {
    std::lock_guard lock(g_mu);
    g_title = title;
}

}  // namespace orvane::platform
