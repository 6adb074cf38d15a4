// What a stored connection string means, worked out once: where its string
// comes from (the connection manager, a data-link file or the text itself),
// the provider that opens it, its segments translated for this machine's
// drivers, the user and password given beside it, and the folder relative
// file paths are looked for in. Opening a report connection, describing it
// (orvane connections), checking a definition and the designer's test of a
// connection all read this one value; the text is split once, here, and
// joined again only for the ODBC driver.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <orvanespt/platform/Export.h>

namespace orvane::data {

/// Where a stored connection string takes its connection from; the numbers
/// are the kinds ConnectionKind returns.
enum class CnnKind : std::int16_t {
    Application = 1,   ///< `@gtCnnManager.ApplicationDb("NAME")`: an application of the connection manager
    Brisco = 2,        ///< `@gtCnnManager.oldBriscoDb`: the manager's fixed "Brisco" database
    Malteva = 3,       ///< `@gtCnnManager.oldMaltevaDb`: the manager's fixed "Malteva" database
    DataLinkFile = 4,  ///< `@DataLinkFile("PATH")`: the string held in a data-link (.udl) file
    Text = 5,          ///< anything else: the string itself
};

/// True for the kinds whose string the connection manager gives.
constexpr bool ThroughManager(CnnKind kind) {
    return kind <= CnnKind::Malteva;
}

/// One segment "key=value" of a connection string.
struct ConnectionPair {
    std::string key;    ///< trimmed, as written
    std::string value;  ///< unquoted
    std::string raw;    ///< the segment as written
};

/// A stored connection string's meaning, as ResolveConnection finds it.
struct ResolvedConnection {
    CnnKind Kind = CnnKind::Text;              ///< where the string comes from
    std::string Via;                           ///< the manager's application or the data-link file; "" for Text
    std::string Written;                       ///< the string its source holds; "" when none was found
    std::vector<ConnectionPair> WrittenPairs;  ///< Written split: its timeouts and passwords are read here
    std::string Driver;  ///< the provider: Provider= as written, "MSDASQL" for DSN= or Driver= without it
    std::vector<ConnectionPair> Attributes;  ///< the segments opened: translated, with User and Password added
    std::string Text;                        ///< Attributes as one string (holds the password: scrub before showing)
    std::string User;                        ///< given beside the string (by the manager or to Open); "" for none
    std::string Password;                    ///< the same for the password
    std::string Folder;                      ///< looked in first for relative file paths; "" for the current folder
    std::string Problem;                     ///< why the string could not be worked out; "" when it was
    bool NoManager = false;                  ///< a manager kind while the connection manager is not installed
};

/// Works out a stored string (macros included): reads the manager's
/// application or the data-link file it names, then as
/// ResolveConnectionText. A manager's string keeps the current folder (it
/// serves reports in many folders); the others look in folder first. Never
/// raises: Problem says what failed.
ORVANE_API ResolvedConnection ResolveConnection(const std::string& stored, const std::string& folder);

/// Works out a plain connection string (no macros) given with a user and
/// password ("" for none): splits it, names its provider and translates it
/// for this machine's drivers (TranslateConnectionString). Never raises: a
/// refused translation is the Problem.
ORVANE_API ResolvedConnection ResolveConnectionText(const std::string& text, const std::string& folder,
                                                    const std::string& user, const std::string& password);

/// The kind of a stored string; tests for 2, 3, 1 and 4 in that order, Text
/// when none holds. The recognition is exact, case included.
ORVANE_API CnnKind KindOf(const std::string& stored);

}  // namespace orvane::data
