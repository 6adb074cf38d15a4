// Helpers shared by the test programs: a recording message sink installed
// for one test, and a scratch folder removed at the end of the test.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/Messages.h"

namespace orvane::testing {

class MessageRecorder {
public:
    MessageRecorder() : sink_(std::make_shared<platform::RecordingMessages>()), scope_(sink_) {}
    platform::RecordingMessages& operator*() { return *sink_; }
    platform::RecordingMessages* operator->() { return sink_.get(); }

private:
    std::shared_ptr<platform::RecordingMessages> sink_;
    platform::ScopedMessageSink scope_;
};

// A fresh folder under the system's temporary folder, removed with the object.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

std::string ReadFile(const std::filesystem::path& p);
void WriteFile(const std::filesystem::path& p, const std::string& bytes);

}  // namespace orvane::testing
