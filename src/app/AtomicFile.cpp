#include "app/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

FileFaultHook& faultHook()
{
    static FileFaultHook hook;
    return hook;
}

bool injected(FileFault fault, const std::string& path)
{
    const FileFaultHook& hook = faultHook();
    return hook && hook(fault, path);
}

bool fail(std::string* error, const std::string& what, const std::string& path, int number)
{
    if (error)
        *error = what + " " + path + ": " + std::strerror(number);
    return false;
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

void SetFileFaultHookForTests(FileFaultHook hook)
{
    faultHook() = std::move(hook);
}

bool WriteTempFile(const std::string& tempPath, std::string_view bytes, std::string* error)
{
    // A fresh file, never one found under the name (a leftover, or a link pointing elsewhere), and the
    // owner's alone: the account file is the user's secrets, however well they are encrypted.
    if (::unlink(tempPath.c_str()) != 0 && errno != ENOENT && errno != EISDIR)
        return fail(error, "cannot replace", tempPath, errno);
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return fail(error, "cannot create", tempPath, errno);

    bool ok = true;
    int number = 0;
    if (injected(FileFault::WriteHalfway, tempPath)) {
        (void)writeAll(fd, bytes.data(), bytes.size() / 2);
        ok = false;
        number = ENOSPC;
    } else if (!writeAll(fd, bytes.data(), bytes.size())) {
        ok = false;
        number = errno;
    }
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        number = errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        number = errno;
    }
    if (!ok) {
        ::unlink(tempPath.c_str());
        return fail(error, "cannot write", tempPath, number);
    }
    return true;
}

bool CommitTempFile(const std::string& tempPath, const std::string& path, std::string* error, bool flushFolder)
{
    int number = 0;
    if (injected(FileFault::Rename, path))
        number = EIO;
    else if (::rename(tempPath.c_str(), path.c_str()) != 0)
        number = errno;
    if (number != 0) {
        ::unlink(tempPath.c_str());
        return fail(error, "cannot replace", path, number);
    }
    // The rename itself must reach the disk too, or a power cut could bring the old file back.
    if (!flushFolder)
        return true;
    const int dir = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool WriteFileAtomically(const std::string& path, const std::string& tempPath, std::string_view bytes,
                         std::string* error)
{
    return WriteTempFile(tempPath, bytes, error) && CommitTempFile(tempPath, path, error);
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(error, "cannot open", path, errno);
    struct stat info;
    int number = 0;
    if (::fstat(fd, &info) != 0)
        number = errno;
    else if (!S_ISREG(info.st_mode))
        number = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    std::string data;
    if (number == 0)
        data.resize(static_cast<std::size_t>(info.st_size));
    std::size_t got = 0;
    while (number == 0) {
        char probe[4096];
        // The whole length goes in one piece; the probe only notices a file that grew since fstat.
        char* into = got < data.size() ? data.data() + got : probe;
        const std::size_t room = got < data.size() ? data.size() - got : sizeof probe;
        const ssize_t n = ::read(fd, into, room);
        if (n < 0) {
            if (errno != EINTR)
                number = errno;
            continue;
        }
        if (n == 0)
            break;
        if (into == probe)
            data.append(probe, static_cast<std::size_t>(n));
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (number != 0)
        return fail(error, "cannot read", path, number);
    data.resize(got);
    bytes = std::move(data);
    return true;
}
