// The runtime services the model and data layers lean on: the temporary and
// help folders, whole-file text reading and crash-safe writing, path helpers,
// data-link (.udl) text decoding, the small random number of default names,
// path resolution and line splitting.
//
// Escaping is deliberately not here: model code calls EncodeXMLText
// (model/XmlText.h) itself, which is by construction exactly the escape the
// callers rely on, and platform/ cannot see model/.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include <orvanespt/platform/Export.h>

namespace orvane::platform {

/// The folders and file services the model and data layers use: temporary
/// and help folders, whole-file reading and path helpers.
class ORVANE_API RuntimeServices {
public:
    /// The one shared instance, created on first use (thread-safe).
    static RuntimeServices& Instance();

    /// A writable temporary folder, ending with a separator: the one set by
    /// SetTempFolder, else the system's (TMPDIR or /tmp).
    std::string TempFolder() const;
    /// Overrides the temporary folder ("" restores the system's).
    void SetTempFolder(std::string folder);

    /// The installed help pages' folder, ending with a separator (overridable
    /// like the temporary folder).
    ///@{
    std::string HelpFolder() const;
    void SetHelpFolder(std::string folder);
    ///@}

    /// The folder path with exactly one trailing '/'; "" stays "".
    static std::string EndWithSeparator(std::string_view folder);
    /// The last component of a path ("" for a path ending with a separator).
    static std::string FileNameOf(std::string_view path);
    /// True when a regular file (or a link to one) exists at the path.
    static bool FileExists(const std::string& path);
    /// The whole file as it is on disk; nullopt when it cannot be read.
    static std::optional<std::string> ReadTextFile(const std::string& path);
    /// Creates or replaces the file with the text (UTF-8, as given) as
    /// WriteFileAtomically does. False when it failed.
    static bool WriteTextFile(const std::string& path, std::string_view text);

    /// The bytes of a .udl file as UTF-8 text, line breaks kept: UTF-16LE or
    /// UTF-16BE with a byte-order mark, UTF-8 with or without one, otherwise
    /// Latin-1. Trailing NUL characters are dropped. Never fails.
    static std::string ConvertDataLinkText(std::string_view bytes);

    /// A uniformly drawn integer from low to high inclusive (bounds swapped
    /// when given the wrong way round).
    std::int16_t Number(std::int16_t low, std::int16_t high);

private:
    RuntimeServices();
    mutable std::mutex mu_;
    std::string temp_override_;
    std::string help_override_;
    std::mt19937 rng_;
};

/// Creates or replaces the file with the bytes through a locked temporary file
/// beside it that is flushed and renamed over it, so the old file stays whole
/// whatever happens; the file keeps its permissions, and temporaries left by
/// writers that died are removed. False, the old file untouched, on failure.
/// (platform/AtomicFile.cpp)
ORVANE_API bool WriteFileAtomically(const std::string& path, std::string_view bytes);

/// Path resolution: an absolute name is kept (lexically normalised); a relative
/// one is taken against the current folder. "" when the name is empty or the
/// current folder cannot be read, which callers treat as a missing file.
ORVANE_API std::string ResolvePath(const std::string& name);

/// The lines of a text in order, broken at CR LF, LF or a lone CR. A final line
/// break ends the last line rather than starting an empty one; "" has no lines.
ORVANE_API std::vector<std::string> SplitLines(std::string_view text);

}  // namespace orvane::platform
