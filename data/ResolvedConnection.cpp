// Working out a stored connection string: its source, its segments, its
// provider and its translation for this machine's drivers.
#include <orvanespt/data/ResolvedConnection.h>

#include <orvanespt/data/Connections.h>
#include <orvanespt/data/ado/DataError.h>
#include <orvanespt/data/ado/OleDbMapping.h>
#include <orvanespt/data/ado/detail/Provider.h>
#include <orvanespt/data/detail/Texts.h>
#include <orvanespt/platform/ConnectionManager.h>
#include <orvanespt/platform/Text.h>

namespace orvane::data {
namespace {

constexpr const char* kApplicationDb = "@gtCnnManager.ApplicationDb";
constexpr const char* kBriscoDb = "@gtCnnManager.oldBriscoDb";
constexpr const char* kMaltevaDb = "@gtCnnManager.oldMaltevaDb";
constexpr const char* kDataLinkFile = "@DataLinkFile";

std::string ArgumentOf(const std::string& text, const std::string& macro) {
    return text::ReplaceAll(text::ReplaceAll(text, macro + "(\"", ""), "\")", "");
}

// The string of a data-link file as one line: its lines joined by ";".
std::string OneLine(const std::string& text) {
    std::string out;
    for (const auto& line : text::Split(text, "\r\n"))
        if (!text::TrimBlanks(line).empty()) out += (out.empty() ? "" : ";") + line;
    return out;
}

// Reads the manager's application into r; false with r.Problem when the
// manager or the application is not there.
bool FromManager(const std::string& stored, ResolvedConnection& r) {
    std::string why;
    const auto manager = platform::ConnectionManager::Create(&why);
    if (!manager) {
        r.NoManager = true;
        r.Problem = why;
        return false;
    }
    r.Via = r.Kind == CnnKind::Application ? ApplicationNameOf(stored)
            : r.Kind == CnnKind::Brisco    ? platform::ConnectionManager::kBriscoApplication
                                           : platform::ConnectionManager::kMaltevaApplication;
    const auto app = manager->applicationdb(r.Via);
    if (!app) {
        r.Problem = msg::NoApplication(r.Via);
        return false;
    }
    r.Written = app->ConnectionString;
    r.User = app->UserID;
    r.Password = app->PWD;
    return true;
}

// Splits r.Written, names its provider and translates it with r's user and
// password added; a refused translation is r.Problem.
void Work(ResolvedConnection& r) {
    r.WrittenPairs = detail::SplitConnectionString(r.Written);
    std::vector<ConnectionPair> pairs = r.WrittenPairs;
    std::string added;  // the credentials as the string shows them
    if (!r.User.empty()) {
        pairs.push_back({"UID", r.User, "UID=" + detail::BraceValue(r.User)});
        added += pairs.back().raw + ";";
    }
    if (!r.Password.empty()) {
        pairs.push_back({"PWD", r.Password, "PWD=" + detail::BraceValue(r.Password)});
        added += pairs.back().raw + ";";
    }
    try {
        auto translated = detail::TranslatePairs(pairs, r.Folder);
        r.Text = translated ? detail::JoinConnectionPairs(*translated) : r.Written + (added.empty() ? "" : ";" + added);
        r.Attributes = translated ? std::move(*translated) : std::move(pairs);
    } catch (const DataError& e) {
        r.Problem = e.what();
        r.Attributes = std::move(pairs);
    }
    const ConnectionPair* provider = detail::FindPair(r.Attributes, "provider");
    if (provider)
        r.Driver = std::string(text::TrimWhite(provider->value));
    else if (detail::FindPair(r.Attributes, "dsn") || detail::FindPair(r.Attributes, "driver"))
        r.Driver = "MSDASQL";
}

}  // namespace

std::string ApplicationNameOf(const std::string& text) {
    return ArgumentOf(text, kApplicationDb);
}

std::string DataLinkPathOf(const std::string& text) {
    return ArgumentOf(text, kDataLinkFile);
}

CnnKind KindOf(const std::string& stored) {
    if (stored == kBriscoDb) return CnnKind::Brisco;
    if (stored == kMaltevaDb) return CnnKind::Malteva;
    if (stored.find(kApplicationDb) != std::string::npos) return CnnKind::Application;
    if (stored.find(kDataLinkFile) != std::string::npos) return CnnKind::DataLinkFile;
    return CnnKind::Text;
}

ResolvedConnection ResolveConnectionText(const std::string& text, const std::string& folder, const std::string& user,
                                         const std::string& password) {
    ResolvedConnection r;
    r.Written = text;
    r.Folder = folder;
    r.User = user;
    r.Password = password;
    Work(r);
    return r;
}

ResolvedConnection ResolveConnection(const std::string& stored, const std::string& folder) {
    ResolvedConnection r;
    r.Kind = KindOf(stored);
    if (ThroughManager(r.Kind)) {
        if (FromManager(stored, r)) Work(r);
        return r;
    }
    r.Folder = folder;
    if (r.Kind == CnnKind::Text) {
        r.Written = stored;
        Work(r);
        return r;
    }
    r.Via = ResolveFilePath(DataLinkPathOf(stored), folder);
    r.Written = OneLine(ReadDataLinkFile(r.Via));
    if (r.Written.empty()) {
        r.Problem = msg::DataLinkFile(r.Via, msg::kNoConnectionStringThere);
        return r;
    }
    Work(r);
    return r;
}

}  // namespace orvane::data
