#include "platform/Zip.h"

#include <fcntl.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <unordered_set>

namespace orvane::platform::zip {
namespace {

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

std::string AsciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string ErrorText(int code) {
    zip_error_t e;
    zip_error_init_with_code(&e, code);
    std::string text = zip_error_strerror(&e);
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

enum class ReadOutcome { Ok, Damaged, OverLimit };

// Inflates one entry into out, counting against the bytes still allowed.
ReadOutcome ReadEntry(zip_t* za, zip_uint64_t i, std::uint64_t& allowed, std::string& out) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(za, i, 0, &st) == 0 && (st.valid & ZIP_STAT_SIZE))
        out.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(st.size, allowed)));
    std::unique_ptr<zip_file_t, FileCloser> f(zip_fopen_index(za, i, 0));
    if (!f) return ReadOutcome::Damaged;
    constexpr std::size_t kChunk = 64 * 1024;
    for (;;) {
        std::size_t have = out.size();
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, allowed + 1));
        out.resize(have + want);
        zip_int64_t n = zip_fread(f.get(), out.data() + have, want);
        if (n < 0) return ReadOutcome::Damaged;
        out.resize(have + static_cast<std::size_t>(n));
        if (static_cast<std::uint64_t>(n) > allowed) return ReadOutcome::OverLimit;
        allowed -= static_cast<std::uint64_t>(n);
        if (n == 0) return ReadOutcome::Ok;
    }
}

// Flushes a file that was renamed into place, and its folder.
void SyncToDisk(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    std::string folder = std::filesystem::path(path).parent_path().string();
    int dfd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
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
    int code = 0;
    Archive za(zip_open(path.c_str(), ZIP_RDONLY, &code));
    if (!za) {
        r.error = ErrorText(code);
        return r;
    }
    r.opened = true;
    zip_int64_t count = zip_get_num_entries(za.get(), 0);
    if (count < 0 || static_cast<std::uint64_t>(count) > limits.max_entries) {
        r.error = "the archive holds more than " + std::to_string(limits.max_entries) + " entries";
        return r;
    }
    std::uint64_t allowed = limits.max_total_uncompressed;
    std::unordered_set<std::string> seen;
    for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(count); ++i) {
        const char* raw = zip_get_name(za.get(), i, ZIP_FL_ENC_GUESS);
        if (!raw) continue;
        std::string name = raw;
        std::uint32_t type = UnixType(za.get(), i);
        if (name.back() == '/' || type == kDirectory) continue;
        if (!IsSafeEntryName(name) || type == kSymlink || !seen.insert(AsciiLower(name)).second) {
            r.refused.push_back(std::move(name));
            continue;
        }
        Entry e{name, {}};
        ReadOutcome outcome = ReadEntry(za.get(), i, allowed, e.data);
        if (outcome == ReadOutcome::OverLimit) {
            r.refused.push_back(name);
            r.error = "the archive inflates to more than " + std::to_string(limits.max_total_uncompressed) + " bytes";
            return r;
        }
        if (outcome == ReadOutcome::Damaged) {
            if (r.error.empty()) r.error = name + ": " + zip_strerror(za.get());
            r.refused.push_back(std::move(name));
            continue;
        }
        r.entries.push_back(std::move(e));
    }
    return r;
}

bool WriteArchive(const std::string& path, const std::vector<Source>& sources, std::string* error) {
    int code = 0;
    Archive za(zip_open(path.c_str(), ZIP_CREATE, &code));
    if (!za) return Fail(error, path + ": " + ErrorText(code));
    for (const Source& s : sources) {
        zip_source_t* src = zip_source_buffer(za.get(), s.data.data(), s.data.size(), 0);
        if (!src) return Fail(error, zip_strerror(za.get()));
        zip_int64_t idx = zip_name_locate(za.get(), s.name.c_str(), ZIP_FL_NOCASE);
        if (idx >= 0) {
            if (zip_file_replace(za.get(), static_cast<zip_uint64_t>(idx), src, 0) != 0) {
                zip_source_free(src);
                return Fail(error, zip_strerror(za.get()));
            }
            const char* old = zip_get_name(za.get(), static_cast<zip_uint64_t>(idx), ZIP_FL_ENC_GUESS);
            if (old && s.name != old) zip_file_rename(za.get(), static_cast<zip_uint64_t>(idx), s.name.c_str(), 0);
        } else {
            idx = zip_file_add(za.get(), s.name.c_str(), src, ZIP_FL_ENC_GUESS);
            if (idx < 0) {
                zip_source_free(src);
                return Fail(error, zip_strerror(za.get()));
            }
        }
        zip_set_file_compression(za.get(), static_cast<zip_uint64_t>(idx), ZIP_CM_DEFLATE, kCompressionLevel);
    }
    zip_t* raw = za.release();
    if (zip_close(raw) != 0) {
        std::string text = zip_strerror(raw);
        zip_discard(raw);
        return Fail(error, path + ": " + text);
    }
    SyncToDisk(path);
    return true;
}

}  // namespace orvane::platform::zip
