#include "platform/qt/DataFolderLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool sameThing(int fd, const std::string& path)
{
    struct stat open = {};
    struct stat named = {};
    return fstat(fd, &open) == 0 && stat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

int openToLock(const std::string& path, DataFolderLock::Kind kind)
{
    // A folder is opened for reading only: that is enough to lock it, also when it cannot be written.
    if (kind == DataFolderLock::Kind::Folder)
        return open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // Owner-only; a planted symbolic link is not followed, a pipe is not waited for, and a hard link (a second
    // name for some other file, which the release would then delete a name of) is not taken for the lock file.
    const int fd = open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    struct stat st = {};
    if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid() || st.st_nlink != 1)) {
        close(fd);
        errno = EPERM;
        return -1;
    }
    return fd;
}

} // namespace

DataFolderLock::DataFolderLock(std::string path, Kind kind) : path_(std::move(path)), kind_(kind) {}

DataFolderLock::~DataFolderLock()
{
    release();
}

DataFolderLock::Result DataFolderLock::acquire()
{
    if (fd_ >= 0)
        return Result::Held;
    // A copy that ends deletes its lock file after locking it; one that opened the old file in between then locks
    // a file no longer there, and must open the new one instead. A few rounds settle it.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int fd = openToLock(path_, kind_);
        if (fd < 0) {
            error_ = errno;
            return Result::Unavailable;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int e = errno;
            close(fd);
            if (e == EWOULDBLOCK)
                return Result::TakenByOther;
            error_ = e; // a file system without such locks (NFS locks a folder opened for reading only with none)
            return Result::Unavailable;
        }
        if (sameThing(fd, path_)) {
            fd_ = fd;
            return Result::Held;
        }
        close(fd);
    }
    error_ = EAGAIN;
    return Result::Unavailable;
}

bool DataFolderLock::held() const
{
    return fd_ >= 0 && sameThing(fd_, path_);
}

void DataFolderLock::release()
{
    if (fd_ < 0)
        return;
    if (kind_ == Kind::File && held())
        unlink(path_.c_str());
    close(fd_);
    fd_ = -1;
}
