// The file operations that writing a file in place goes through: a seam so a
// test can make any one of them fail (a full disk, a failed flush, a rename
// refused) and check what the writer leaves behind.
#pragma once

#include <sys/types.h>

#include <cstddef>

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
};

/// The operations in use: the installed ones, else the system's.
ORVANE_API FileOps& Files();
/// Installs ops (null: the system's again) and returns the ones installed
/// before (null when they were the system's). The caller keeps ops alive.
ORVANE_API FileOps* SetFileOps(FileOps* ops);

}  // namespace orvane::platform
