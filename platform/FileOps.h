// Reading and writing whole files, and the file operations both go through:
// a seam so a test can make any one of them fail (a full disk, a failed
// flush, a rename refused) and check what the writer leaves behind.
//
// Every read of a whole file and every save of ours comes here, so one fake
// reaches all of them. Outcomes are values: the step that failed and why.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

#include <orvanespt/platform/Export.h>

namespace orvane::platform {

/// Each operation returns what the system call it stands for returns, with
/// errno set on failure. The defaults are those system calls.
class ORVANE_API FileOps {
public:
    virtual ~FileOps() = default;
    virtual ssize_t Write(int fd, const void* data, std::size_t size);  ///< write(2)
    virtual int Flush(int fd);                                           ///< fsync(2) of a file
    virtual int SyncFolder(int fd);                                      ///< fsync(2) of a folder
    virtual int Rename(const char* from, const char* to);                ///< rename(2)
    virtual int Remove(const char* path);                                ///< unlink(2)
    virtual int Open(const char* path, int flags, mode_t mode);          ///< open(2), to read or to create
    virtual ssize_t Read(int fd, void* data, std::size_t size);          ///< read(2)
};

/// The operations in use: the installed ones, else the system's.
ORVANE_API FileOps& Files();
/// Installs ops (null: the system's again) and returns the ones installed
/// before (null when they were the system's). The caller keeps ops alive.
ORVANE_API FileOps* SetFileOps(FileOps* ops);

/// The step of reading or saving a file that failed.
enum class FileStep {
    None,        ///< nothing failed
    Folder,      ///< creating the missing folders of a private file
    Open,        ///< opening the file to read it
    Create,      ///< creating the temporary beside the file
    NotAFile,    ///< the path names a folder or another thing that is no regular file
    Read,        ///< reading the file
    Write,       ///< writing the temporary
    Flush,       ///< flushing the temporary to disk
    Rename,      ///< putting the temporary in the file's place
    SyncFolder,  ///< flushing the folder after the rename: the new file is in place, but may not survive a power cut
    Build,       ///< making the bytes to save (a package's archive) before any file was touched
};

/// How a whole-file read or save went: ok, or the step that failed and why.
struct ORVANE_API FileResult {
    FileStep step = FileStep::None;  ///< the failed step; None when it went well
    std::string path;                ///< the file read or saved
    std::string reason;              ///< the system's reason, or the builder's; "" when ok

    /// True when nothing failed.
    bool ok() const { return step == FileStep::None; }
    /// The failure for a person, in Spanish, naming the file and the step
    /// ("PATH: no se pudo escribir el archivo temporal: REASON"); "" when ok.
    std::string Message() const;
};

/// Who may read a saved file.
enum class FileMode {
    Keep,     ///< an existing file's permissions; a new file gets 0666 less the umask
    Private,  ///< 0600, and missing folders are created 0700
};

/// The whole file into bytes (left empty on failure). Open, NotAFile or Read
/// when it cannot be read.
ORVANE_API FileResult ReadWholeFile(const std::string& path, std::string& bytes);

/// Creates or replaces the file with the bytes through a locked temporary
/// file beside it that is flushed and renamed over it, then flushes the
/// folder. On any failure before the rename the old file is untouched and the
/// temporary removed; a failed folder flush (SyncFolder) leaves the new file
/// in place. The file keeps its permissions (or becomes private), and
/// temporaries left by writers that died are removed.
ORVANE_API FileResult SaveWholeFile(const std::string& path, std::string_view bytes,
                                    FileMode mode = FileMode::Keep);

}  // namespace orvane::platform
