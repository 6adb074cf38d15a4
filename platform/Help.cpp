#include <orvanespt/platform/Help.h>

#include <dlfcn.h>

#include <filesystem>
#include <iostream>
#include <mutex>

#include <orvanespt/platform/detail/Texts.h>

namespace orvane::platform {
namespace {

std::mutex g_mu;
std::shared_ptr<HelpViewer> g_viewer;

}  // namespace

bool ReportingHelpViewer::Open(const std::string& file, int contextId) {
    std::cerr << msg::HelpOpened(file, contextId) << std::endl;
    return true;
}

std::shared_ptr<HelpViewer> CurrentHelpViewer() {
    std::lock_guard lock(g_mu);
    if (!g_viewer) g_viewer = std::make_shared<ReportingHelpViewer>();
    return g_viewer;
}

std::shared_ptr<HelpViewer> SetHelpViewer(std::shared_ptr<HelpViewer> viewer) {
    std::lock_guard lock(g_mu);
    std::shared_ptr<HelpViewer> previous = std::move(g_viewer);
    g_viewer = std::move(viewer);
    return previous;
}

std::string LibraryFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&LibraryFolder), &info) == 0 || !info.dli_fname) return {};
    std::error_code ec;
    std::filesystem::path lib = std::filesystem::weakly_canonical(info.dli_fname, ec);
    if (ec) return {};
    std::string folder = lib.parent_path().string();
    return folder.empty() || folder.back() == '/' ? folder : folder + '/';
}

}  // namespace orvane::platform
