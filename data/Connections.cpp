// Connection-string macros, data-link files and the opening of report
// connections.
#include <orvanespt/data/Connections.h>

#include <filesystem>
#include <system_error>

#include <orvanespt/data/ConnectionInfo.h>
#include <orvanespt/data/ado/Connection.h>
#include <orvanespt/data/ado/OleDbMapping.h>
#include <orvanespt/data/detail/Texts.h>
#include <orvanespt/model/RSourceWalk.h>
#include <orvanespt/model/eConnection.h>
#include <orvanespt/platform/ConnectionManager.h>
#include <orvanespt/platform/RuntimeServices.h>
#include <orvanespt/platform/Text.h>

namespace orvane::data {
namespace {

constexpr const char* kApplicationDb = "@gtCnnManager.ApplicationDb";
constexpr const char* kBriscoDb = "@gtCnnManager.oldBriscoDb";
constexpr const char* kMaltevaDb = "@gtCnnManager.oldMaltevaDb";
constexpr const char* kDataLinkFile = "@DataLinkFile";

// A data-link file far larger than any real one is not read at all.
bool IsOversized(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    return !ec && size > kMaxDataLinkFileBytes;
}

std::string ArgumentOf(const std::string& text, const std::string& macro) {
    return text::ReplaceAll(text::ReplaceAll(text, macro + "(\"", ""), "\")", "");
}

// Opens through the manager's application (kinds 1 to 3). Raises only when
// the manager is not installed; otherwise note says why the connection did
// not open, if it did not.
void OpenThroughManager(Connection& cnn, std::int16_t kind, const std::string& text, std::string& note) {
    std::string why;
    const auto manager = platform::ConnectionManager::Create(&why);
    if (!manager) throw DataError(why);
    const std::string name = kind == 1   ? ApplicationNameOf(text)
                             : kind == 2 ? platform::ConnectionManager::kBriscoApplication
                                         : platform::ConnectionManager::kMaltevaApplication;
    const auto app = manager->applicationdb(name);
    if (!app) {
        note = msg::NoApplication(name);
        return;
    }
    try {
        cnn.Open(app->ConnectionString, app->UserID, app->PWD);
    } catch (const std::exception& e) {
        note = msg::OfApplication(app->Name, e.what());
    }
}

// OpenAdoConnection, with note telling why a manager connection came back
// closed. Relative file paths of kinds 4 and 5 are looked for in base first;
// a manager's string is shared by reports in many folders, so it keeps the
// current folder. A report connection gives its timeouts.
std::shared_ptr<Connection> OpenByKind(const std::string& text, std::string& note, const std::string& base = "",
                                       const eConnection* timeouts = nullptr) {
    auto cnn = std::make_shared<Connection>();
    cnn->CursorLocation = 3;
    if (timeouts) {
        cnn->ConnectionTimeout = timeouts->ConnectionTimeout;
        cnn->CommandTimeout = timeouts->CommandTimeout;
    }
    const std::int16_t kind = ConnectionKind(text);
    if (kind <= 3) {
        OpenThroughManager(*cnn, kind, text, note);
        return cnn;
    }
    cnn->BaseFolder = base;
    if (kind == 5) {
        cnn->ConnectionString = text;
        cnn->Open();
        return cnn;
    }
    const std::string path = ResolveFilePath(DataLinkPathOf(text), base);
    cnn->ConnectionString = ReadDataLinkFile(path);
    try {
        cnn->Open();
    } catch (const DataError& e) {
        const bool present = platform::RuntimeServices::FileExists(path);
        const std::string why = !present            ? std::string(msg::kNoSuchFile)
                                : IsOversized(path) ? platform::msg::LargerThan(kMaxDataLinkFileBytes)
                                                    : std::string(e.what());
        throw DataError(msg::DataLinkFile(path, why));
    }
    return cnn;
}

}  // namespace

std::shared_ptr<Connection> OpenAdoConnection(const std::string& text) {
    std::string ignored;
    return OpenByKind(text, ignored);
}

std::int16_t ConnectionKind(const std::string& text) {
    if (text == kBriscoDb) return 2;
    if (text == kMaltevaDb) return 3;
    if (text.find(kApplicationDb) != std::string::npos) return 1;
    if (text.find(kDataLinkFile) != std::string::npos) return 4;
    return 5;
}

std::string ApplicationNameOf(const std::string& text) {
    return ArgumentOf(text, kApplicationDb);
}

std::string DataLinkPathOf(const std::string& text) {
    return ArgumentOf(text, kDataLinkFile);
}

std::string ReadDataLinkFile(const std::string& path) {
    if (IsOversized(path)) return "";
    const auto bytes = platform::RuntimeServices::ReadTextFile(path);
    if (!bytes) return "";
    const std::string content = platform::RuntimeServices::ConvertDataLinkText(*bytes);
    return DropLinesStartingWith(DropLinesStartingWith(content, "[oledb]"), ";");
}

std::string DropLinesStartingWith(const std::string& text, const std::string& prefix) {
    std::string out;
    for (const auto& line : platform::SplitLines(text)) {
        const std::string_view kept = text::TrimBlanks(line);
        if (kept.starts_with(prefix)) continue;
        out.append(kept);
        out.append("\r\n");
    }
    return out;
}

}  // namespace orvane::data

namespace orvane {

bool eConnection::OpenConnection() {
    LastOpenError.clear();
    std::string note;
    try {
        // When the call raises, ADOCnn keeps the connection it had.
        ADOCnn = data::OpenByKind(cnnString, note, data::DefinitionFolderOf(*this), this);
        if (!ADOCnn) return false;
        if (ADOCnn->State() != 1) ADOCnn->Open();
        if (ADOCnn->State() == 1) {
            // Record sources a host appended under this connection without
            // setting their connection run on it, as a read definition's do.
            WalkRSources(eRSources.get(), [this](const std::shared_ptr<eRSource>& rs, int, bool) {
                if (rs->eCnn.expired()) rs->eCnn = weak_from_this();
                return true;
            });
            return true;
        }
        LastOpenError = data::msg::kConnectionNotOpened;
    } catch (const std::exception& e) {
        // A manager connection that failed with its credentials is retried
        // without them; the first failure is the one worth showing.
        LastOpenError = note.empty() ? e.what() : note;
    } catch (...) {
        LastOpenError = data::msg::kConnectionCouldNotOpen;
    }
    return false;
}

}  // namespace orvane
