// Helpers shared by the test programs: a recording message sink installed
// for one test, and a scratch folder removed at the end of the test.
#pragma once

#include <filesystem>
#include <cstdlib>
#include <memory>
#include <optional>
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

// Sets (or unsets, with nullopt) an environment variable for one scope and
// puts back what was there before.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

std::string ReadFile(const std::filesystem::path& p);
void WriteFile(const std::filesystem::path& p, const std::string& bytes);

}  // namespace orvane::testing
