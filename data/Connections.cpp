// Connection-string macros, data-link files and the opening of report
// connections.
#include <orvanespt/data/Connections.h>

#include <filesystem>
#include <system_error>

#include <orvanespt/data/ConnectionInfo.h>
#include <orvanespt/data/ResolvedConnection.h>
#include <orvanespt/data/ado/Connection.h>
#include <orvanespt/data/ado/OleDbMapping.h>
#include <orvanespt/data/detail/ReportConnection.h>
#include <orvanespt/data/detail/Texts.h>
#include <orvanespt/model/RSourceWalk.h>
#include <orvanespt/model/eConnection.h>
#include <orvanespt/platform/RuntimeServices.h>
#include <orvanespt/platform/Text.h>

namespace orvane::data {
namespace {

// A data-link file far larger than any real one is not read at all.
bool IsOversized(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    return !ec && size > kMaxDataLinkFileBytes;
}

// OpenAdoConnection of a worked-out string, with note telling why a manager
// connection came back closed. A report connection gives its timeouts.
std::shared_ptr<Connection> OpenByKind(const ResolvedConnection& resolved, std::string& note,
                                       const eConnection* timeouts = nullptr) {
    auto cnn = std::make_shared<Connection>();
    cnn->CursorLocation = kUseClient;
    if (timeouts) {
        cnn->ConnectionTimeout = timeouts->ConnectionTimeout;
        cnn->CommandTimeout = timeouts->CommandTimeout;
    }
    if (ThroughManager(resolved.Kind)) {
        // Only a missing manager raises; the connection comes back closed
        // otherwise, with note saying why.
        if (resolved.NoManager) throw DataError(resolved.Problem);
        if (resolved.Written.empty() && !resolved.Problem.empty()) {
            note = resolved.Problem;
            return cnn;
        }
        try {
            cnn->Open(resolved);
        } catch (const std::exception& e) {
            note = msg::OfApplication(resolved.Via, e.what());
        }
        return cnn;
    }
    try {
        cnn->Open(resolved);
    } catch (const DataError& e) {
        if (resolved.Kind != CnnKind::DataLinkFile) throw;
        const std::string& path = resolved.Via;
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
    return OpenByKind(ResolveConnection(text, ""), ignored);
}

std::int16_t ConnectionKind(const std::string& text) {
    return static_cast<std::int16_t>(KindOf(text));
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

bool detail::OpenReportConnection(eConnection& cnn, const ResolvedConnection& resolved) {
    cnn.LastOpenError.clear();
    std::string note;
    try {
        // When the call raises, ADOCnn keeps the connection it had.
        cnn.ADOCnn = OpenByKind(resolved, note, &cnn);
        if (cnn.ADOCnn->State() != kStateOpen) cnn.ADOCnn->Open();
        if (cnn.ADOCnn->State() == kStateOpen) {
            // Record sources a host appended under this connection without
            // setting their connection run on it, as a read definition's do.
            WalkRSources(cnn.eRSources.get(), [&cnn](const std::shared_ptr<eRSource>& rs, int, bool) {
                if (rs->eCnn.expired()) rs->eCnn = cnn.weak_from_this();
                return true;
            });
            return true;
        }
        cnn.LastOpenError = msg::kConnectionNotOpened;
    } catch (const std::exception& e) {
        // A manager connection that failed with its credentials is retried
        // without them; the first failure is the one worth showing.
        cnn.LastOpenError = note.empty() ? e.what() : note;
    } catch (...) {
        cnn.LastOpenError = msg::kConnectionCouldNotOpen;
    }
    return false;
}

}  // namespace orvane::data

namespace orvane {

bool eConnection::OpenConnection() {
    return data::detail::OpenReportConnection(*this,
                                              data::ResolveConnection(cnnString, data::DefinitionFolderOf(*this)));
}

}  // namespace orvane
