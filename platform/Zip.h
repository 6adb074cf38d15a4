// A small seam over libzip: reading every entry of an archive into memory
// with the safety checks a package from an unknown source needs, and writing
// or updating an archive from memory buffers.
//
// Reading refuses, without touching the disk, entries whose names could point
// outside the folder they would be unpacked into (a ".." component, an
// absolute path, a drive letter, a backslash), symbolic links, and duplicates
// ignoring letter case (the first one wins).
//
// Size limits cost nothing to hit. Before anything is inflated, an archive
// with more than kMaxEntries entries, an entry declaring more than
// kMaxEntryUncompressed bytes or entries declaring more than
// kMaxTotalUncompressed in all is refused whole. While inflating, an entry is
// never given more room than it declared, and one that inflates past its
// declared size (the archive lied) stops there and refuses the archive whole,
// so nothing of a hostile archive is used and no more than the declared
// bytes, within the limits, are ever held.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <orvanespt/platform/Export.h>
#include <orvanespt/platform/FileOps.h>

namespace orvane::platform::zip {

/// More entries than a package ever needs (100), but room for archives that
/// kept old entries through many updates.
inline constexpr std::size_t kMaxEntries = 4096;
/// Bytes over all entries of one archive.
inline constexpr std::uint64_t kMaxTotalUncompressed = 512ull * 1024 * 1024;
/// Bytes of one entry: a dozen times the definition text of the benchmark's
/// large report (21 MB), far beyond any picture a report carries.
inline constexpr std::uint64_t kMaxEntryUncompressed = 256ull * 1024 * 1024;
/// Deflate level used for every entry written.
inline constexpr std::uint32_t kCompressionLevel = 6;

/// The sizes past which ReadArchive refuses an archive whole.
struct ORVANE_API Limits {
    std::size_t max_entries = kMaxEntries;                            ///< entries in the archive
    std::uint64_t max_total_uncompressed = kMaxTotalUncompressed;  ///< bytes over all entries
    std::uint64_t max_entry_uncompressed = kMaxEntryUncompressed;  ///< bytes of one entry
};

/// An entry read from an archive.
struct ORVANE_API Entry {
    std::string name;  ///< as stored in the archive
    std::string data;  ///< the inflated bytes
};

/// What ReadArchive read, refused and failed on.
struct ORVANE_API ReadResult {
    /// Entries read in archive order (folder entries are left out).
    std::vector<Entry> entries;
    /// Names refused as unsafe, duplicates, or unreadable.
    std::vector<std::string> refused;
    /// The first failure: the archive could not be opened, had too many
    /// entries, declared sizes beyond the limits or lied about one (then no
    /// entry is kept), or an entry was damaged (the others are kept). Empty
    /// when everything was read, and when the file is no zip archive at all.
    std::string error;
    bool opened = false;  ///< false when the file is missing or not a zip archive
    /// The file neither opens as a zip archive nor begins like one: not a
    /// failure of the zip library, simply not an archive.
    bool notZip = false;
    /// The archive was refused whole for its sizes or its count of entries
    /// (error says which); nothing of it was kept.
    bool refusedWhole = false;
};

/// Reads every acceptable entry of the archive at path.
ORVANE_API ReadResult ReadArchive(const std::string& path, const Limits& limits = {});

/// True when the name may be unpacked under a folder: not empty, no ".."
/// component, not absolute, no drive letter, no backslash.
ORVANE_API bool IsSafeEntryName(std::string_view name);

/// An entry to write; data must stay alive until WriteArchive returns.
struct ORVANE_API Source {
    std::string name;       ///< the entry's name in the archive
    std::string_view data;  ///< the entry's bytes
};

/// Creates the archive, or updates the existing one: an entry whose name
/// matches one of the sources ignoring ASCII case is replaced, the others stay.
/// The old archive is read with ReadWholeFile, the new one built in memory and
/// put in place by SaveWholeFile (platform/FileOps.h), so a failure, a crash or
/// a kill leaves the old archive whole and its permissions are kept. The step
/// that failed and why: Open, NotAFile or Read of the old archive, Build when
/// libzip refused the sources, or a step of the save.
ORVANE_API FileResult SaveArchive(const std::string& path, const std::vector<Source>& sources);

/// SaveArchive, as a truth value: false, with the message in *error when
/// given, when it failed before the new archive was in place.
ORVANE_API bool WriteArchive(const std::string& path, const std::vector<Source>& sources, std::string* error = nullptr);

}  // namespace orvane::platform::zip
