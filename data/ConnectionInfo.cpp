#include <orvanespt/data/ConnectionInfo.h>

#include <filesystem>

#include <orvanespt/data/ResolvedConnection.h>
#include <orvanespt/data/ado/detail/Provider.h>
#include <orvanespt/data/detail/ReportConnection.h>
#include <orvanespt/model/Orvane.h>
#include <orvanespt/model/eConnection.h>
#include <orvanespt/platform/Secrets.h>
#include <orvanespt/platform/Text.h>

namespace orvane::data {

std::string KindText(const ConnectionInfo& info) {
    const auto kind = static_cast<CnnKind>(info.Kind);
    std::string out = ThroughManager(kind)            ? "administrador de conexiones"
                      : kind == CnnKind::DataLinkFile ? "archivo de vínculo de datos"
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
    const ResolvedConnection resolved = ResolveConnection(cnn.cnnString, DefinitionFolderOf(cnn));
    info.Kind = static_cast<std::int16_t>(resolved.Kind);
    info.Via = resolved.Via;
    if (resolved.Problem.empty())
        info.Resolved = platform::ScrubPasswords(resolved.Text, {resolved.Password});
    else
        info.Problem = platform::ScrubPasswords(resolved.Problem, {resolved.Password});
    if (!open) return info;
    info.Opened = detail::OpenReportConnection(cnn, resolved);
    if (!info.Opened && info.Problem.empty()) info.Problem = cnn.LastOpenError;
    return info;
}

}  // namespace orvane::data
