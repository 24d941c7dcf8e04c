#include "platform/qt/DataFolderLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool sameFile(int fd, const std::string& path)
{
    struct stat open = {};
    struct stat named = {};
    return fstat(fd, &open) == 0 && stat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

int openLockFile(const std::string& path)
{
    // Owner-only; a planted symbolic link is not followed.
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    // A folder that cannot be written can still hold an existing lock file: a read-only open locks as well.
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM))
        fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    return fd;
}

std::string userName(uid_t uid)
{
    const passwd* entry = getpwuid(uid);
    const std::string number = "uid " + std::to_string(uid);
    return entry && entry->pw_name ? std::string(entry->pw_name) + ", " + number : number;
}

// What keeps the thing described by st (an lstat or fstat of path) from being this user's lock file; empty when
// nothing does. Only a regular file of this user's is a lock: anything else was put there by someone else, and
// another user's file is not this copy's to hold or to wait for.
std::string wrongWith(const struct stat& st, const std::string& path)
{
    if (S_ISDIR(st.st_mode))
        return "is a folder";
    if (S_ISLNK(st.st_mode)) {
        struct stat target = {};
        return stat(path.c_str(), &target) == 0 ? "is a symbolic link" : "is a symbolic link that points nowhere";
    }
    if (S_ISFIFO(st.st_mode))
        return "is a pipe (FIFO)";
    if (S_ISSOCK(st.st_mode))
        return "is a socket";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return "is a device";
    if (!S_ISREG(st.st_mode))
        return "is not a regular file";
    if (st.st_uid != geteuid())
        return "belongs to another user (" + userName(st.st_uid) + ")";
    return {};
}

} // namespace

DataFolderLock::DataFolderLock(std::string path) : path_(std::move(path)) {}

DataFolderLock::~DataFolderLock()
{
    release();
}

DataFolderLock::Result DataFolderLock::acquire()
{
    if (fd_ >= 0)
        return Result::Held;
    // A copy that ends deletes the file after locking it; one that opened the old file in between then locks a
    // file no longer in the folder, and must open the new one instead. A few rounds settle it.
    for (int attempt = 0; attempt < 100; ++attempt) {
        // Looked at before it is opened: a pipe or a device is never opened at all.
        struct stat st = {};
        if (lstat(path_.c_str(), &st) == 0 && !(problem_ = wrongWith(st, path_)).empty())
            return Result::Refused;
        const int fd = openLockFile(path_);
        if (fd < 0) {
            error_ = errno;
            if (lstat(path_.c_str(), &st) != 0)
                return Result::Unavailable; // nothing there, and nothing can be created
            problem_ = wrongWith(st, path_);
            if (problem_.empty())
                problem_ = std::string("cannot be opened (") + std::strerror(error_) + ")";
            return Result::Refused;
        }
        if (fstat(fd, &st) != 0 || !(problem_ = wrongWith(st, path_)).empty()) {
            close(fd);
            if (problem_.empty())
                problem_ = "cannot be examined";
            return Result::Refused;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int e = errno;
            close(fd);
            if (e == EWOULDBLOCK)
                return Result::TakenByOther;
            error_ = e;
            return Result::Unavailable;
        }
        if (sameFile(fd, path_)) {
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
    return fd_ >= 0 && sameFile(fd_, path_);
}

void DataFolderLock::release()
{
    if (fd_ < 0)
        return;
    if (held())
        unlink(path_.c_str());
    close(fd_);
    fd_ = -1;
}

bool DataFolderLock::writeNote(const std::string& note)
{
    if (fd_ < 0 || ftruncate(fd_, 0) != 0)
        return false;
    return pwrite(fd_, note.data(), note.size(), 0) == static_cast<ssize_t>(note.size());
}

std::string DataFolderLock::readNote(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return {};
    std::string note;
    struct stat st = {};
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        char buffer[1024];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0)
            note.assign(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return note;
}
