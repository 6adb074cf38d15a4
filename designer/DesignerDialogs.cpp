#include <orvanespt/designer/DesignerDialogs.h>

#include <mutex>

namespace orvane::designer {

namespace {

std::mutex& Guard() {
    static std::mutex mu;
    return mu;
}

std::shared_ptr<DesignerDialogs>& Installed() {
    static std::shared_ptr<DesignerDialogs> dialogs = std::make_shared<CancellingDialogs>();
    return dialogs;
}

}  // namespace

std::shared_ptr<DesignerDialogs> CurrentDesignerDialogs() {
    std::lock_guard lock(Guard());
    return Installed();
}

std::shared_ptr<DesignerDialogs> SetDesignerDialogs(std::shared_ptr<DesignerDialogs> dialogs) {
    std::lock_guard lock(Guard());
    auto previous = Installed();
    Installed() = dialogs ? std::move(dialogs) : std::make_shared<CancellingDialogs>();
    return previous;
}

}  // namespace orvane::designer
