#include <orvanespt/platform/Zip.h>

#include <zip.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <unordered_set>

#include <orvanespt/platform/FileOps.h>
#include <orvanespt/platform/RuntimeServices.h>
#include <orvanespt/platform/Text.h>
#include <orvanespt/platform/detail/Texts.h>

namespace orvane::platform::zip {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kTypeMask = 0170000;
constexpr std::uint32_t kSymlink = 0120000;
constexpr std::uint32_t kDirectory = 0040000;

struct ArchiveCloser {
    void operator()(zip_t* za) const { zip_discard(za); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;

struct FileCloser {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};

// The zip library's error in Spanish, with the system's reason when it has one.
std::string Reason(zip_error_t* e) {
    const int system = zip_error_code_system(e);
    const bool errnoKind = zip_error_system_type(e) == ZIP_ET_SYS && system != 0;
    const std::string why = msg::ZipReason(zip_error_code_zip(e));
    return errnoKind ? why + ": " + std::strerror(system) : why;
}

std::string ErrorText(int code) {
    zip_error_t e;
    zip_error_init_with_code(&e, code);
    std::string text = Reason(&e);
    zip_error_fini(&e);
    return text;
}

// Unix type bits of the entry when the archive was made on Unix, else 0.
std::uint32_t UnixType(zip_t* za, zip_uint64_t i) {
    zip_uint8_t opsys = 0;
    zip_uint32_t attr = 0;
    if (zip_file_get_external_attributes(za, i, 0, &opsys, &attr) != 0 || opsys != ZIP_OPSYS_UNIX) return 0;
    return (attr >> 16) & kTypeMask;
}

// Whether bytes begin with a zip record's signature ("PK" and a local
// header, an empty archive's end record or a split mark): a file that does
// but does not open is a damaged archive, not some other kind of file.
bool BeginsLikeZip(std::string_view head) {
    return head.size() >= 4 && head[0] == 'P' && head[1] == 'K' &&
           ((head[2] == 3 && head[3] == 4) || (head[2] == 5 && head[3] == 6) || (head[2] == 7 && head[3] == 8));
}

enum class ReadOutcome { Ok, Damaged, Lied };

// Inflates one entry into out, which is given room for the declared size and
// never more: an entry that goes on past it is a lie, found on the first
// byte too many. Without a declared size, up to `limit` bytes are read.
// Damaged gives the reason in why.
ReadOutcome ReadEntry(zip_t* za, zip_uint64_t i, std::optional<std::uint64_t> declared, std::uint64_t limit,
                      std::string& out, std::string& why) {
    std::unique_ptr<zip_file_t, FileCloser> f(zip_fopen_index(za, i, 0));
    if (!f) {
        why = Reason(zip_get_error(za));
        return ReadOutcome::Damaged;
    }
    const std::uint64_t room = declared.value_or(limit);
    if (declared) out.reserve(static_cast<std::size_t>(*declared));
    constexpr std::size_t kChunk = 64 * 1024;
    for (;;) {
        const std::size_t have = out.size();
        char extra;
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, room - have));
        if (want > 0) out.resize(have + want);
        const zip_int64_t n = zip_fread(f.get(), want > 0 ? out.data() + have : &extra, want > 0 ? want : 1);
        if (n < 0) {
            why = Reason(zip_file_get_error(f.get()));
            return ReadOutcome::Damaged;
        }
        if (want == 0) return n == 0 ? ReadOutcome::Ok : ReadOutcome::Lied;
        out.resize(have + static_cast<std::size_t>(n));
        if (n > 0) continue;
        if (!declared || have == *declared) return ReadOutcome::Ok;
        why = msg::EntryEndsEarly(*declared);
        return ReadOutcome::Damaged;
    }
}

// The uncompressed size the archive declares for each entry (none when it
// does not say), or the reason the declared sizes pass the limits.
std::string DeclaredSizes(zip_t* za, zip_uint64_t count, const Limits& limits,
                          std::vector<std::optional<std::uint64_t>>& sizes) {
    std::uint64_t total = 0;
    for (zip_uint64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(za, i, 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE)) {
            sizes.emplace_back();
            continue;
        }
        const char* name = (st.valid & ZIP_STAT_NAME) && st.name ? st.name : "";
        if (st.size > limits.max_entry_uncompressed)
            return msg::EntryDeclaresTooMuch(name, st.size, limits.max_entry_uncompressed);
        total += st.size;
        if (total > limits.max_total_uncompressed) return msg::EntriesDeclareTooMuch(limits.max_total_uncompressed);
        sizes.emplace_back(st.size);
    }
    return {};
}

bool Fail(std::string* error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}

}  // namespace

bool IsSafeEntryName(std::string_view name) {
    if (name.empty() || name.front() == '/') return false;
    if (name.find('\\') != std::string_view::npos) return false;
    if (name.size() >= 2 && name[1] == ':') return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find('/', start);
        if (end == std::string_view::npos) end = name.size();
        if (name.substr(start, end - start) == "..") return false;
        start = end + 1;
    }
    return true;
}

ReadResult ReadArchive(const std::string& path, const Limits& limits) {
    ReadResult r;
    // The archive is read whole through the file seam and opened in memory;
    // its bytes outlive the archive, which reads its entries from them.
    // No archive within the limits is larger than its entries together and
    // a generous header per entry, so a larger file is refused unread.
    const std::uint64_t most = limits.max_total_uncompressed + limits.max_entries * std::uint64_t{1024};
    std::error_code ec;
    if (const std::uintmax_t size = fs::file_size(path, ec); !ec && size > most) {
        r.opened = r.refusedWhole = true;
        r.error = msg::FileLargerThan(path, most);
        return r;
    }
    std::string bytes;
    if (const FileResult read = ReadWholeFile(path, bytes); !read.ok()) {
        r.error = read.Message();
        return r;
    }
    if (bytes.empty()) {  // libzip would take it for an archive without entries
        r.notZip = true;
        return r;
    }
    zip_error_t ze;
    zip_error_init(&ze);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &ze);
    Archive za(source ? zip_open_from_source(source, ZIP_RDONLY, &ze) : nullptr);
    if (!za && source) zip_source_free(source);  // the reference the failed open did not take
    const int code = zip_error_code_zip(&ze);
    zip_error_fini(&ze);
    if (!za && code == ZIP_ER_NOZIP && !BeginsLikeZip(bytes)) {
        r.notZip = true;
        return r;
    }
    if (!za) {
        r.error = ErrorText(code);
        return r;
    }
    r.opened = true;
    zip_int64_t count = zip_get_num_entries(za.get(), 0);
    if (count < 0 || static_cast<std::uint64_t>(count) > limits.max_entries) {
        r.error = msg::TooManyEntries(limits.max_entries);
        r.refusedWhole = true;
        return r;
    }
    std::vector<std::optional<std::uint64_t>> declared;
    r.error = DeclaredSizes(za.get(), static_cast<zip_uint64_t>(count), limits, declared);
    if (!r.error.empty()) {
        r.refusedWhole = true;
        return r;
    }
    // Entries without a declared size are counted as they inflate.
    std::uint64_t undeclaredAllowed = limits.max_total_uncompressed;
    for (const auto& size : declared) undeclaredAllowed -= size.value_or(0);
    std::unordered_set<std::string> seen;
    for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(count); ++i) {
        const char* raw = zip_get_name(za.get(), i, ZIP_FL_ENC_GUESS);
        if (!raw) continue;
        std::string name = raw;
        std::uint32_t type = UnixType(za.get(), i);
        // An entry without a name is no folder: it is refused below.
        if ((!name.empty() && name.back() == '/') || type == kDirectory) continue;
        if (!IsSafeEntryName(name) || type == kSymlink || !seen.insert(text::LowerAscii(name)).second) {
            r.refused.push_back(std::move(name));
            continue;
        }
        Entry e{name, {}};
        const std::uint64_t limit = std::min(limits.max_entry_uncompressed, undeclaredAllowed);
        std::string why;
        const ReadOutcome outcome = ReadEntry(za.get(), i, declared[i], limit, e.data, why);
        if (!declared[i] && outcome != ReadOutcome::Damaged) undeclaredAllowed -= e.data.size();
        if (outcome == ReadOutcome::Lied) {
            r.entries.clear();
            r.refused.push_back(name);
            r.error = declared[i] ? msg::EntryGrowsPastDeclared(name, *declared[i]) : msg::EntryGrowsPastLimit(name);
            r.refusedWhole = true;
            return r;
        }
        if (outcome == ReadOutcome::Damaged) {
            if (r.error.empty()) r.error = name + ": " + why;
            r.refused.push_back(std::move(name));
            continue;
        }
        r.entries.push_back(std::move(e));
    }
    return r;
}

namespace {

struct SourceCloser {
    void operator()(zip_source_t* s) const { zip_source_free(s); }
};
using Buffer = std::unique_ptr<zip_source_t, SourceCloser>;

// Adds each source to the archive, replacing an entry of the same name
// (ignoring ASCII case) and taking the new spelling.
bool PutSources(zip_t* za, const std::vector<Source>& sources, std::string* error) {
    for (const Source& s : sources) {
        zip_source_t* src = zip_source_buffer(za, s.data.data(), s.data.size(), 0);
        if (!src) return Fail(error, Reason(zip_get_error(za)));
        zip_int64_t idx = zip_name_locate(za, s.name.c_str(), ZIP_FL_NOCASE);
        if (idx >= 0) {
            if (zip_file_replace(za, static_cast<zip_uint64_t>(idx), src, 0) != 0) {
                zip_source_free(src);
                return Fail(error, Reason(zip_get_error(za)));
            }
            const char* old = zip_get_name(za, static_cast<zip_uint64_t>(idx), ZIP_FL_ENC_GUESS);
            if (old && s.name != old) zip_file_rename(za, static_cast<zip_uint64_t>(idx), s.name.c_str(), 0);
        } else {
            idx = zip_file_add(za, s.name.c_str(), src, ZIP_FL_ENC_GUESS);
            if (idx < 0) {
                zip_source_free(src);
                return Fail(error, Reason(zip_get_error(za)));
            }
        }
        zip_set_file_compression(za, static_cast<zip_uint64_t>(idx), ZIP_CM_DEFLATE, kCompressionLevel);
    }
    return true;
}

// The whole content of a memory source after libzip wrote into it.
bool ReadBack(zip_source_t* buffer, std::string& out, std::string* error) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_source_stat(buffer, &st) != 0 || !(st.valid & ZIP_STAT_SIZE) || zip_source_open(buffer) != 0)
        return Fail(error, Reason(zip_source_error(buffer)));
    out.resize(static_cast<std::size_t>(st.size));
    zip_int64_t n = zip_source_read(buffer, out.data(), out.size());
    zip_source_close(buffer);
    if (n < 0 || static_cast<zip_uint64_t>(n) != st.size) return Fail(error, msg::kArchiveNotReadBack);
    return true;
}

// The archive old (empty: none) with the sources put in, as bytes.
bool BuildArchive(const std::string& old, const std::vector<Source>& sources, std::string& out, std::string* error) {
    zip_error_t ze;
    zip_error_init(&ze);
    Buffer buffer(zip_source_buffer_create(old.data(), old.size(), 0, &ze));
    if (!buffer) {
        std::string text = Reason(&ze);
        zip_error_fini(&ze);
        return Fail(error, text);
    }
    zip_source_keep(buffer.get());  // it outlives the archive, which frees it once
    Archive za(zip_open_from_source(buffer.get(), old.empty() ? ZIP_CREATE | ZIP_TRUNCATE : 0, &ze));
    if (!za) {
        std::string text = Reason(&ze);
        zip_error_fini(&ze);
        zip_source_free(buffer.get());  // the reference the failed open did not take
        return Fail(error, text);
    }
    zip_error_fini(&ze);
    if (!PutSources(za.get(), sources, error)) return false;
    zip_t* raw = za.release();
    if (zip_close(raw) != 0) {
        std::string text = Reason(zip_get_error(raw));
        zip_discard(raw);
        return Fail(error, text);
    }
    if (zip_source_is_deleted(buffer.get())) return Fail(error, msg::kArchiveNeedsEntry);
    return ReadBack(buffer.get(), out, error);
}

}  // namespace

FileResult SaveArchive(const std::string& path, const std::vector<Source>& sources) {
    std::error_code ec;
    std::string old;
    if (fs::exists(path, ec)) {
        if (FileResult read = ReadWholeFile(path, old); !read.ok()) return read;
    }
    std::string archive, why;
    if (!BuildArchive(old, sources, archive, &why)) return {FileStep::Build, path, why};
    return SaveWholeFile(path, archive);
}

bool WriteArchive(const std::string& path, const std::vector<Source>& sources, std::string* error) {
    const FileResult saved = SaveArchive(path, sources);
    // The new archive is in place even when the folder's flush failed.
    if (saved.ok() || saved.step == FileStep::SyncFolder) return true;
    return Fail(error, saved.Message());
}

}  // namespace orvane::platform::zip
