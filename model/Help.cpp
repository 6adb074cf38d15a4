#include <orvanespt/model/Help.h>

#include <string>

#include <orvanespt/model/detail/Texts.h>
#include <orvanespt/platform/Help.h>
#include <orvanespt/platform/Messages.h>
#include <orvanespt/platform/RuntimeServices.h>

namespace orvane {

namespace msg = model::msg;

void ShowHelp(const void*, int contextId) {
    using platform::RuntimeServices;
    const std::string name(kHelpFileName);
    std::string file = platform::LibraryFolder() + name;
    if (platform::LibraryFolder().empty() || !RuntimeServices::FileExists(file))
        file = RuntimeServices::Instance().HelpFolder() + name;
    if (!RuntimeServices::FileExists(file)) {
        platform::ShowMessage(msg::kHelpNotFound, platform::MsgButtons::Ok, platform::MsgIcon::Critical);
        return;
    }
    platform::CurrentHelpViewer()->Open(file, contextId);
}

}  // namespace orvane
