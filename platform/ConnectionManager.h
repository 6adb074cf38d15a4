// The connection manager: an outside service that keeps named applications,
// each with the connection string, user and password of its database, so a
// report names an application instead of carrying credentials.
//
// It keeps them in a file of its own, an INI text:
//
//     [Ventas]
//     ConnectionString=Provider=SQLite;Data Source=/srv/ventas.db
//     UserID=informes
//     PWD=secreto
//
// A section per application (names match ignoring ASCII case and surrounding
// blanks; the first of equal names wins); "key=value" lines whose value is
// everything after the first "=", exactly as written, so passwords keep their
// blanks; lines beginning with "#" or ";" are comments. Keys other than the
// three above are kept and written back. Anything else makes the file
// unreadable rather than half-read, so saving never drops what it could not
// understand.
//
// The file lives at $ORVANE_CONNECTIONS_FILE when that is set, else
// $XDG_CONFIG_HOME/orvanespt/connections.ini, else
// ~/.config/orvanespt/connections.ini. When no file is there the manager is
// "not installed" and cannot be created. Passwords are stored as given: the
// file is protected by its mode, 0600 (its folder is created 0700), and the
// manager never puts a password into an error text.
//
// The two fixed databases of the older products are the applications named
// "Brisco" (oldbriscodb) and "Malteva" (oldMaltevadb): register them like any
// other application.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <orvanespt/platform/Export.h>

namespace orvane::platform {

/// One registered application and its database.
struct ORVANE_API ApplicationDb {
    std::string Name;              ///< the application's name, its section in the file
    std::string ConnectionString;  ///< the connection string of its database
    std::string UserID;            ///< the user the database is opened as
    std::string PWD;                                             ///< as given; never shown
    std::vector<std::pair<std::string, std::string>> OtherKeys;  ///< unknown keys, kept in file order

    /// Every field equal.
    bool operator==(const ApplicationDb&) const = default;
};

/// The connection manager's file of named applications, read, changed and
/// written back.
class ORVANE_API ConnectionManager {
public:
    /// The names the older products' databases are registered under.
    ///@{
    static constexpr const char* kBriscoApplication = "Brisco";
    static constexpr const char* kMaltevaApplication = "Malteva";
    ///@}

    /// The manager over the file at DefaultPath(); null when the file is
    /// absent (not installed) or cannot be read (error says why).
    static std::shared_ptr<ConnectionManager> Create(std::string* error = nullptr);
    /// The manager over the file at path; null when it is absent or cannot be
    /// read (error names the file and, for a bad line, its number).
    static std::shared_ptr<ConnectionManager> Load(const std::string& path, std::string* error = nullptr);
    /// The manager over the file at path, or an empty one when no file is
    /// there yet (its first Save creates the file, owner-only). Null, error
    /// set, when a file is there but cannot be read: it is never replaced.
    static std::shared_ptr<ConnectionManager> LoadOrNew(const std::string& path, std::string* error = nullptr);
    /// Where the manager keeps its file; "" when neither the environment nor
    /// the password database gives a home folder.
    static std::string DefaultPath();

    /// The application of that name, or null.
    std::shared_ptr<ApplicationDb> applicationdb(const std::string& name) const;
    /// The older products' fixed databases, or null when not registered.
    ///@{
    std::shared_ptr<ApplicationDb> oldbriscodb() const { return applicationdb(kBriscoApplication); }
    std::shared_ptr<ApplicationDb> oldMaltevadb() const { return applicationdb(kMaltevaApplication); }
    ///@}
    /// Every application in file order.
    const std::vector<ApplicationDb>& ApplicationsCollection() const { return apps_; }

    /// Replaces the first application of the same name, or appends it (its
    /// name trimmed of blanks). False, nothing changed, when the name is blank
    /// or the file could not give the application back exactly (a line break
    /// in a text, an extra key that is blank, repeated or reads as a section
    /// or comment).
    bool SetApplication(const ApplicationDb& app);
    /// Removes the first application of that name; false when there is none.
    bool RemoveApplication(const std::string& name);

    /// Writes the applications to the file the manager was loaded from,
    /// through a temporary file renamed over it, mode 0600. False, with the
    /// old file untouched and error set, when anything fails.
    bool Save(std::string* error = nullptr) const;
    /// Creates an empty manager file at path (and its folder) unless one is
    /// there: "installs" the manager. False, error set, when it cannot.
    static bool Install(const std::string& path, std::string* error = nullptr);

    /// The file the manager was loaded from, and is saved to.
    const std::string& Path() const { return path_; }

private:
    explicit ConnectionManager(std::string path) : path_(std::move(path)) {}
    int IndexOf(const std::string& name) const;

    std::string path_;
    std::vector<ApplicationDb> apps_;
};

/// Parses the manager file's text; false with error ("line N: ...") when a
/// line is neither a section, a key line, a comment nor blank.
ORVANE_API bool ParseApplications(const std::string& text, std::vector<ApplicationDb>& apps, std::string& error);
/// The file text for the applications, with a heading comment.
ORVANE_API std::string FormatApplications(const std::vector<ApplicationDb>& apps);

}  // namespace orvane::platform
