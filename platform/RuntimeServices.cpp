#include <orvanespt/platform/RuntimeServices.h>

#include <filesystem>
#include <system_error>

#include <orvanespt/platform/FileOps.h>
#include <orvanespt/platform/Text.h>

#ifndef ORVANE_HELP_DIR
#define ORVANE_HELP_DIR "/usr/local/share/orvanespt/help"
#endif

namespace orvane::platform {
namespace fs = std::filesystem;
namespace {

bool IsValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        std::size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + len > s.size()) return false;
        for (std::size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += len;
    }
    return true;
}

std::string Latin1ToUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) text::AppendUtf8(out, static_cast<unsigned char>(c));
    return out;
}

}  // namespace

RuntimeServices::RuntimeServices() : rng_(std::random_device{}()) {}

RuntimeServices& RuntimeServices::Instance() {
    static RuntimeServices instance;  // initialised once, thread-safe
    return instance;
}

std::string RuntimeServices::TempFolder() const {
    {
        std::lock_guard lock(mu_);
        if (!temp_override_.empty()) return EndWithSeparator(temp_override_);
    }
    std::error_code ec;
    fs::path p = fs::temp_directory_path(ec);
    return EndWithSeparator(ec ? std::string("/tmp") : p.string());
}

void RuntimeServices::SetTempFolder(std::string folder) {
    std::lock_guard lock(mu_);
    temp_override_ = std::move(folder);
}

std::string RuntimeServices::HelpFolder() const {
    std::lock_guard lock(mu_);
    return EndWithSeparator(help_override_.empty() ? std::string(ORVANE_HELP_DIR) : help_override_);
}

void RuntimeServices::SetHelpFolder(std::string folder) {
    std::lock_guard lock(mu_);
    help_override_ = std::move(folder);
}

std::string RuntimeServices::EndWithSeparator(std::string_view folder) {
    if (folder.empty()) return {};
    std::string out(folder);
    while (out.size() > 1 && out.back() == '/' && out[out.size() - 2] == '/') out.pop_back();
    if (out.back() != '/') out += '/';
    return out;
}

std::string RuntimeServices::FileNameOf(std::string_view path) {
    auto slash = path.find_last_of('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool RuntimeServices::FileExists(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

std::optional<std::string> RuntimeServices::ReadTextFile(const std::string& path) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes).ok()) return std::nullopt;
    return bytes;
}

bool RuntimeServices::WriteTextFile(const std::string& path, std::string_view text) {
    return WriteFileAtomically(path, text);
}

std::string RuntimeServices::ConvertDataLinkText(std::string_view bytes) {
    std::string out;
    auto starts = [&](std::string_view bom) { return bytes.substr(0, bom.size()) == bom; };
    if (starts("\xFF\xFE"))
        out = text::Utf16ToUtf8(bytes.substr(2), false);
    else if (starts("\xFE\xFF"))
        out = text::Utf16ToUtf8(bytes.substr(2), true);
    else if (starts("\xEF\xBB\xBF"))
        out = std::string(bytes.substr(3));
    else if (IsValidUtf8(bytes))
        out = std::string(bytes);
    else
        out = Latin1ToUtf8(bytes);
    while (!out.empty() && out.back() == '\0') out.pop_back();
    return out;
}

std::int16_t RuntimeServices::Number(std::int16_t low, std::int16_t high) {
    if (low > high) std::swap(low, high);
    std::uniform_int_distribution<int> dist(low, high);
    std::lock_guard lock(mu_);
    return static_cast<std::int16_t>(dist(rng_));
}

std::string ResolvePath(const std::string& name) {
    if (name.empty()) return {};
    std::error_code ec;
    fs::path p(name);
    if (p.is_relative()) {
        fs::path cwd = fs::current_path(ec);
        if (ec) return {};
        p = cwd / p;
    }
    return p.lexically_normal().string();
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0, i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines.emplace_back(text.substr(start, i - start));
        i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

}  // namespace orvane::platform
