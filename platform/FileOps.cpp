// Reading whole files, and replacing a file so that a reader, a crash or a
// kill at any moment finds either the whole old file or the whole new one.
//
// The new bytes go to a temporary file in the same folder, named
// ".NAME.tmp.XXXXXX", which is flushed to disk and renamed over NAME; the
// folder is then flushed so the rename itself survives a power cut. While a
// writer works it holds an exclusive flock on its temporary. A writer killed
// before the rename leaves its temporary behind with the lock gone (the kernel
// drops it with the process), so the next write to the same file removes such
// unlocked temporaries first: leftovers never pile up, and one still in use by
// another process is never touched.
//
// The file keeps its permissions (and its owner and group where the process
// may set them); a new file gets the usual 0666 less the umask, a private one
// 0600. When NAME is a symbolic link the file it points to is replaced, and
// the link stays.
#include <orvanespt/platform/FileOps.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <utility>

#include <orvanespt/platform/RuntimeServices.h>
#include <orvanespt/platform/Text.h>
#include <orvanespt/platform/detail/Texts.h>

namespace orvane::platform {
namespace fs = std::filesystem;

ssize_t FileOps::Write(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
}
int FileOps::Flush(int fd) {
    return ::fsync(fd);
}
int FileOps::SyncFolder(int fd) {
    return ::fsync(fd);
}
int FileOps::Rename(const char* from, const char* to) {
    return ::rename(from, to);
}
int FileOps::Remove(const char* path) {
    return ::unlink(path);
}
int FileOps::Open(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}
ssize_t FileOps::Read(int fd, void* data, std::size_t size) {
    return ::read(fd, data, size);
}

namespace {

FileOps*& InstalledFileOps() {
    static FileOps* ops = nullptr;
    return ops;
}

constexpr std::string_view kTempMarker = ".tmp.";
constexpr std::size_t kTempSuffix = 6;
constexpr int kNameAttempts = 64;

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = Files().Write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// A folder that cannot be opened cannot be flushed either; only the flush
// itself is reported.
bool SyncFolder(const fs::path& folder) {
    Fd dfd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return dfd.get() < 0 || Files().SyncFolder(dfd.get()) == 0;
}

bool SameFile(int fd, const fs::path& path) {
    struct stat a {
    }, b{};
    return ::fstat(fd, &a) == 0 && ::lstat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::string TempPrefix(const fs::path& target) {
    return text::Concat({".", target.filename().string(), kTempMarker});
}

// Removes the temporaries of earlier writers of target that died before
// renaming (their lock is gone). Errors are ignored: this is tidying only.
void RemoveAbandonedTemporaries(const fs::path& target) {
    const std::string prefix = TempPrefix(target);
    std::error_code ec;
    fs::directory_iterator it(target.parent_path().empty() ? fs::path(".") : target.parent_path(), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() != prefix.size() + kTempSuffix || name.compare(0, prefix.size(), prefix) != 0) continue;
        Fd fd(::open(it->path().c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
        if (fd.get() < 0 || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) continue;
        if (SameFile(fd.get(), it->path())) ::unlink(it->path().c_str());
    }
}

std::string RandomSuffix() {
    static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 rng{std::random_device{}()};
    // The process id keeps a forked child from repeating its parent's names.
    std::uint64_t bits = rng() ^ (static_cast<std::uint64_t>(::getpid()) << 32);
    std::string out;
    for (std::size_t i = 0; i < kTempSuffix; ++i, bits /= 62) out += kChars[bits % 62];
    return out;
}

// Creates and locks a fresh temporary beside target; its path goes to *path.
int CreateLockedTemporary(const fs::path& target, mode_t mode, fs::path* path) {
    const fs::path folder = target.parent_path();
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        *path = folder / (TempPrefix(target) + RandomSuffix());
        int fd = Files().Open(path->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return -1;
        }
        // A tidying writer may have taken it for abandoned between the open
        // and the lock; then it is gone from the folder and we start again.
        if (::flock(fd, LOCK_EX) == 0 && SameFile(fd, *path)) return fd;
        ::close(fd);
    }
    return -1;
}

// The file a write to path replaces: the target of a symbolic link.
fs::path ReplacedFile(const std::string& path) {
    std::error_code ec;
    fs::path p(path);
    if (!fs::is_symlink(fs::symlink_status(p, ec))) return p;
    fs::path resolved = fs::weakly_canonical(p, ec);
    return ec ? p : resolved;
}

}  // namespace

FileOps& Files() {
    static FileOps system;
    FileOps* installed = InstalledFileOps();
    return installed ? *installed : system;
}

FileOps* SetFileOps(FileOps* ops) {
    return std::exchange(InstalledFileOps(), ops);
}

std::string FileResult::Message() const {
    if (ok()) return {};
    return msg::FileStepFailed(path, msg::FileStepText(static_cast<int>(step)), reason);
}

namespace {

FileResult Failed(FileStep step, const std::string& path, std::string reason = std::strerror(errno)) {
    return {step, path, std::move(reason)};
}

// Creates the missing folders of a private file, each mode 0700.
bool MakePrivateFolders(const fs::path& folder, std::string& failed) {
    std::error_code ec;
    if (folder.empty() || fs::is_directory(folder, ec)) return true;
    if (!MakePrivateFolders(folder.parent_path(), failed)) return false;
    if (::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) return true;
    failed = folder.string() + ": " + std::strerror(errno);
    return false;
}

// Writes, flushes and renames the locked temporary over target; the steps
// before the rename remove the temporary when they fail.
FileResult ReplaceWith(int fd, const fs::path& temp, const fs::path& target, std::string_view bytes) {
    FileStep failed = FileStep::None;
    if (!WriteAll(fd, bytes)) {
        failed = FileStep::Write;
    } else if (Files().Flush(fd) != 0) {
        failed = FileStep::Flush;
    } else if (Files().Rename(temp.c_str(), target.c_str()) != 0) {
        failed = FileStep::Rename;
    }
    if (failed != FileStep::None) {
        FileResult result = Failed(failed, target.string());
        Files().Remove(temp.c_str());  // if refused, the next writer removes it
        return result;
    }
    if (!SyncFolder(target.parent_path())) return Failed(FileStep::SyncFolder, target.string());
    return {FileStep::None, target.string(), {}};
}

}  // namespace

FileResult ReadWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    if (path.empty()) return Failed(FileStep::Open, path, std::strerror(ENOENT));
    Fd fd(Files().Open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK, 0));
    if (fd.get() < 0) return Failed(FileStep::Open, path);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return Failed(FileStep::NotAFile, path, msg::kNoRegularFile);
    if (st.st_size > 0) bytes.reserve(static_cast<std::size_t>(st.st_size));
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t n = Files().Read(fd.get(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            bytes.clear();
            return Failed(FileStep::Read, path);
        }
        if (n == 0) return {FileStep::None, path, {}};
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
}

FileResult SaveWholeFile(const std::string& path, std::string_view bytes, FileMode mode) {
    if (path.empty()) return Failed(FileStep::Open, path, std::strerror(ENOENT));
    const fs::path target = ReplacedFile(path);
    if (target.filename().empty()) return Failed(FileStep::NotAFile, path, msg::kNoRegularFile);
    const bool privately = mode == FileMode::Private;
    std::string folderFailure;
    if (privately && !MakePrivateFolders(target.parent_path(), folderFailure))
        return Failed(FileStep::Folder, path, folderFailure);
    RemoveAbandonedTemporaries(target);

    fs::path temp;
    Fd fd(CreateLockedTemporary(target, privately ? 0600 : 0666, &temp));
    if (fd.get() < 0) return Failed(FileStep::Create, path);
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) {
        if (!S_ISREG(old.st_mode)) {
            Files().Remove(temp.c_str());
            return Failed(FileStep::NotAFile, path, msg::kNoRegularFile);
        }
        [[maybe_unused]] int owner = ::fchown(fd.get(), old.st_uid, old.st_gid);  // allowed only sometimes
        ::fchmod(fd.get(), privately ? 0600 : old.st_mode & 07777);
    }
    FileResult result = ReplaceWith(fd.get(), temp, target, bytes);
    result.path = path;
    return result;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    const FileStep step = SaveWholeFile(path, bytes).step;
    // The new file is in place even when the folder's flush failed.
    return step == FileStep::None || step == FileStep::SyncFolder;
}

}  // namespace orvane::platform
