// The connection manager's file: reading, editing and private atomic saving.
#include <orvanespt/platform/ConnectionManager.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include <orvanespt/platform/FileOps.h>
#include <orvanespt/platform/SystemUser.h>
#include <orvanespt/platform/Text.h>
#include <orvanespt/platform/detail/Texts.h>

namespace orvane::platform {
namespace {

namespace fs = std::filesystem;

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::string HomeFolder() {
    if (std::string home = Env("HOME"); !home.empty()) return home;
    return CurrentUserEntry().home;
}

std::string_view TrimSpaceTab(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// Stores one key line into the application; known keys ignore case.
void StoreKey(ApplicationDb& app, const std::string& key, const std::string& value) {
    if (text::EqualsIgnoreCase(key, "ConnectionString"))
        app.ConnectionString = value;
    else if (text::EqualsIgnoreCase(key, "UserID"))
        app.UserID = value;
    else if (text::EqualsIgnoreCase(key, "PWD"))
        app.PWD = value;
    else
        app.OtherKeys.emplace_back(key, value);
}

}  // namespace

bool ParseApplications(const std::string& text, std::vector<ApplicationDb>& apps, std::string& error) {
    apps.clear();
    std::string_view rest(text);
    if (rest.starts_with("\xEF\xBB\xBF")) rest.remove_prefix(3);
    int number = 0;
    std::vector<std::string> seen;  // keys of the current application, lower-cased
    while (!rest.empty()) {
        ++number;
        const auto eol = rest.find('\n');
        std::string_view line = rest.substr(0, eol);
        rest = eol == std::string_view::npos ? std::string_view{} : rest.substr(eol + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        const std::string_view trimmed = TrimSpaceTab(line);
        if (trimmed.empty() || trimmed[0] == '#' || trimmed[0] == ';') continue;
        const std::string where = msg::Line(number);
        if (trimmed.front() == '[' && trimmed.back() == ']') {
            const std::string name(text::TrimBlanks(trimmed.substr(1, trimmed.size() - 2)));
            if (name.empty()) return error = where + msg::SectionNeedsName(msg::kApplicationSection), false;
            apps.push_back({name, {}, {}, {}, {}});
            seen.clear();
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string_view::npos)
            return error = where + msg::ExpectedSectionOrKey(msg::kApplicationSection), false;
        const std::string key(TrimSpaceTab(line.substr(0, eq)));
        if (apps.empty()) return error = where + msg::KeyOutsideSection(key, msg::kApplicationSection), false;
        if (key.empty()) return error = where + msg::kKeyLineNeedsKey, false;
        // A repeated key would silently hide the first, which a save would then drop.
        if (std::find(seen.begin(), seen.end(), text::Lower(key)) != seen.end())
            return error = where + msg::KeyRepeated(key, apps.back().Name), false;
        seen.push_back(text::Lower(key));
        StoreKey(apps.back(), key, std::string(line.substr(eq + 1)));
    }
    return true;
}

std::string FormatApplications(const std::vector<ApplicationDb>& apps) {
    std::ostringstream out;
    out << msg::kManagerFileHeader;
    for (const auto& app : apps) {
        out << "\n[" << app.Name << "]\n";
        out << "ConnectionString=" << app.ConnectionString << "\n";
        out << "UserID=" << app.UserID << "\n";
        out << "PWD=" << app.PWD << "\n";
        for (const auto& [k, v] : app.OtherKeys) out << k << "=" << v << "\n";
    }
    return out.str();
}

std::string ConnectionManager::DefaultPath() {
    if (std::string file = Env("ORVANE_CONNECTIONS_FILE"); !file.empty()) return file;
    if (std::string config = Env("XDG_CONFIG_HOME"); !config.empty() && config[0] == '/')
        return config + "/orvanespt/connections.ini";
    const std::string home = HomeFolder();
    return home.empty() ? "" : home + "/.config/orvanespt/connections.ini";
}

std::shared_ptr<ConnectionManager> ConnectionManager::Create(std::string* error) {
    const std::string path = DefaultPath();
    if (path.empty()) {
        if (error) *error = msg::kManagerNoHome;
        return nullptr;
    }
    return Load(path, error);
}

std::shared_ptr<ConnectionManager> ConnectionManager::Load(const std::string& path, std::string* error) {
    std::string why;
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        if (error) *error = msg::ManagerNoFile(path);
        return nullptr;
    }
    std::string bytes;
    if (const FileResult read = ReadWholeFile(path, bytes); !read.ok()) {
        if (error) *error = read.Message();
        return nullptr;
    }
    std::shared_ptr<ConnectionManager> manager(new ConnectionManager(path));
    if (!ParseApplications(bytes, manager->apps_, why)) {
        if (error) *error = path + ", " + why;
        return nullptr;
    }
    return manager;
}

std::shared_ptr<ConnectionManager> ConnectionManager::LoadOrNew(const std::string& path, std::string* error) {
    std::error_code ec;
    if (path.empty()) {
        if (error) *error = msg::kManagerNoFolder;
        return nullptr;
    }
    if (fs::symlink_status(path, ec).type() == fs::file_type::not_found)
        return std::shared_ptr<ConnectionManager>(new ConnectionManager(path));
    return Load(path, error);
}

int ConnectionManager::IndexOf(const std::string& name) const {
    const std::string wanted = text::Lower(text::TrimBlanks(name));
    for (std::size_t i = 0; i < apps_.size(); ++i)
        if (text::Lower(text::TrimBlanks(apps_[i].Name)) == wanted) return static_cast<int>(i);
    return -1;
}

std::shared_ptr<ApplicationDb> ConnectionManager::applicationdb(const std::string& name) const {
    const int i = IndexOf(name);
    if (i < 0) return nullptr;
    return std::make_shared<ApplicationDb>(apps_[static_cast<std::size_t>(i)]);
}

bool ConnectionManager::SetApplication(const ApplicationDb& app) {
    ApplicationDb stored = app;
    stored.Name = std::string(text::TrimBlanks(app.Name));
    if (stored.Name.empty()) return false;
    // A lone CR would survive this parser but not a person's editor.
    for (const std::string* t : {&stored.Name, &stored.ConnectionString, &stored.UserID, &stored.PWD})
        if (t->find_first_of("\r\n") != std::string::npos) return false;
    for (const auto& [k, v] : stored.OtherKeys)
        if ((k + v).find_first_of("\r\n") != std::string::npos) return false;
    // Whatever the file cannot give back exactly (line breaks, keys that read
    // as sections or comments, repeated keys) is refused here, not lost later.
    std::vector<ApplicationDb> reread;
    std::string ignored;
    if (!ParseApplications(FormatApplications({stored}), reread, ignored)) return false;
    if (reread.size() != 1 || !(reread.front() == stored)) return false;
    const int i = IndexOf(stored.Name);
    if (i < 0)
        apps_.push_back(std::move(stored));
    else
        apps_[static_cast<std::size_t>(i)] = std::move(stored);
    return true;
}

bool ConnectionManager::RemoveApplication(const std::string& name) {
    const int i = IndexOf(name);
    if (i < 0) return false;
    apps_.erase(apps_.begin() + i);
    return true;
}

bool ConnectionManager::Save(std::string* error) const {
    const FileResult saved = SaveWholeFile(path_, FormatApplications(apps_), FileMode::Private);
    if (!saved.ok() && error) *error = saved.Message();
    return saved.ok();
}

bool ConnectionManager::Install(const std::string& path, std::string* error) {
    std::error_code ec;
    if (fs::exists(path, ec)) return true;
    const FileResult saved = SaveWholeFile(path, FormatApplications({}), FileMode::Private);
    if (!saved.ok() && error) *error = saved.Message();
    return saved.ok();
}

}  // namespace orvane::platform
