#include "platform/Messages.h"

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

}  // namespace

MsgAnswer StderrMessages::Show(const std::string& text, MsgButtons buttons, MsgIcon, const std::string& title) {
    std::cerr << (title.empty() ? ApplicationTitle() : title) << ": " << text << std::endl;
    return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
}

MsgAnswer RecordingMessages::Show(const std::string& text, MsgButtons buttons, MsgIcon icon, const std::string& title) {
    std::lock_guard lock(mu_);
    messages_.push_back({text, buttons, icon, title.empty() ? ApplicationTitle() : title});
    if (!answers_.empty()) {
        MsgAnswer a = answers_.front();
        answers_.pop_front();
        return a;
    }
    return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
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

MsgAnswer ShowMessage(const std::string& text, MsgButtons buttons, MsgIcon icon, const std::string& title) {
    return CurrentSink()->Show(text, buttons, icon, title);
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
