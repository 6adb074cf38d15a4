#include <orvanespt/data/ConnectionInfo.h>

#include <filesystem>

#include <orvanespt/data/Connections.h>
#include <orvanespt/data/ado/OleDbMapping.h>
#include <orvanespt/data/ado/detail/Provider.h>
#include <orvanespt/data/detail/Texts.h>
#include <orvanespt/model/Orvane.h>
#include <orvanespt/model/eConnection.h>
#include <orvanespt/platform/ConnectionManager.h>
#include <orvanespt/platform/Secrets.h>
#include <orvanespt/platform/Text.h>

namespace orvane::data {
namespace {

// The string of a data-link file read as one line: its lines joined.
std::string OneLine(const std::string& text) {
    std::string out;
    for (const auto& line : text::Split(text, "\r\n"))
        if (!text::TrimBlanks(line).empty()) out += (out.empty() ? "" : ";") + line;
    return out;
}

// The string to translate and the password it carries apart from it.
std::string Stored(const eConnection& cnn, ConnectionInfo& info, std::string& password) {
    const std::string& text = cnn.cnnString;
    if (info.Kind == 5) return text;
    if (info.Kind == 4) {
        info.Via = ResolveFilePath(DataLinkPathOf(text), DefinitionFolderOf(cnn));
        const std::string read = ReadDataLinkFile(info.Via);
        if (read.empty()) throw std::runtime_error(msg::DataLinkFile(info.Via, msg::kNoConnectionStringThere));
        return OneLine(read);
    }
    std::string why;
    const auto manager = platform::ConnectionManager::Create(&why);
    if (!manager) throw std::runtime_error(why);
    info.Via = info.Kind == 1   ? ApplicationNameOf(text)
               : info.Kind == 2 ? platform::ConnectionManager::kBriscoApplication
                                : platform::ConnectionManager::kMaltevaApplication;
    const auto app = manager->applicationdb(info.Via);
    if (!app) throw std::runtime_error(msg::NoApplication(info.Via));
    password = app->PWD;
    std::string added;
    if (!app->UserID.empty()) added += "UID=" + app->UserID + ";";
    if (!app->PWD.empty()) added += "PWD=***;";
    return app->ConnectionString + (added.empty() ? "" : ";" + added);
}

}  // namespace

std::string KindText(const ConnectionInfo& info) {
    std::string out = info.Kind <= 3   ? "administrador de conexiones"
                      : info.Kind == 4 ? "archivo de vínculo de datos"
                                       : "";
    if (!info.Resolved.empty()) {
        std::string provider;  // what reaches the database: SQLite, ODBC or a provider of no one's
        for (const auto& pair : detail::SplitConnectionString(info.Resolved)) {
            const std::string value(text::TrimBlanks(pair.value));
            if (text::EqualsIgnoreCase(pair.key, "Provider") && provider.empty())
                provider = text::EqualsIgnoreCase(value, "SQLite")    ? "SQLite"
                           : text::EqualsIgnoreCase(value, "MSDASQL") ? "ODBC"
                                                                      : "proveedor " + value;
            if (text::EqualsIgnoreCase(pair.key, "Driver") || text::EqualsIgnoreCase(pair.key, "DSN"))
                provider = "ODBC";
        }
        if (!provider.empty()) out += (out.empty() ? "" : ", ") + provider;
    }
    return out.empty() ? "cadena de conexión" : out;
}

std::string DefinitionFolderOf(const eConnection& cnn) {
    const auto rpt = cnn.RPTParent.lock();
    if (!rpt || rpt->LoadedFrom.empty()) return "";
    return std::filesystem::path(rpt->LoadedFrom).parent_path().string();
}

ConnectionInfo DescribeConnection(eConnection& cnn, bool open) {
    ConnectionInfo info;
    info.Kind = ConnectionKind(cnn.cnnString);
    std::string password;
    try {
        const std::string stored = Stored(cnn, info, password);
        // A manager's string keeps the current folder (see OpenConnection).
        const std::string base = info.Kind <= 3 ? "" : DefinitionFolderOf(cnn);
        info.Resolved = platform::ScrubPasswords(TranslateConnectionString(stored, base), {password});
    } catch (const std::exception& e) {
        info.Problem = platform::ScrubPasswords(e.what(), {password});
    }
    if (!open) return info;
    info.Opened = cnn.OpenConnection();
    if (!info.Opened && info.Problem.empty()) info.Problem = cnn.LastOpenError;
    return info;
}

}  // namespace orvane::data
