#include "base/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

#ifdef COFFERNOTE_TEST_HOOKS
std::uintmax_t& sizeBound()
{
    static std::uintmax_t bound = kMaxDataFileBytes;
    return bound;
}

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
#else
// The shipped program has no faults to inject and one bound.
constexpr std::uintmax_t sizeBound()
{
    return kMaxDataFileBytes;
}

constexpr bool injected(FileFault, const std::string&)
{
    return false;
}
#endif

Result fail(const std::string& what, const std::string& path, int number)
{
    return Result::failed(what + " " + path + ": " + std::strerror(number));
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

#ifdef COFFERNOTE_TEST_HOOKS
void SetFileFaultHookForTests(FileFaultHook hook)
{
    faultHook() = std::move(hook);
}

void SetFileSizeBoundForTests(std::uintmax_t bound)
{
    sizeBound() = bound == 0 ? kMaxDataFileBytes : bound;
}
#endif

std::uintmax_t FileSizeBound()
{
    return sizeBound();
}

std::string FileSizeBoundText()
{
    const std::uintmax_t mb = 1024 * 1024, bound = sizeBound();
    return bound % mb == 0 ? std::to_string(bound / mb) + " MB" : std::to_string(bound) + " bytes";
}

bool SyncFolder(const std::string& folder)
{
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return false;
    const bool ok = ::fsync(dir) == 0;
    ::close(dir);
    return ok;
}

Result WriteTempFile(const std::string& tempPath, std::string_view bytes)
{
    // A fresh file, never one found under the name (a leftover, or a link pointing elsewhere), and the
    // owner's alone: the account file is the user's secrets, however well they are encrypted.
    if (::unlink(tempPath.c_str()) != 0 && errno != ENOENT && errno != EISDIR)
        return fail("cannot replace", tempPath, errno);
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return fail("cannot create", tempPath, errno);

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
        return fail("cannot write", tempPath, number);
    }
    return Result::ok();
}

Result RenameFile(const std::string& from, const std::string& to)
{
    int number = 0;
    if (injected(FileFault::Rename, to))
        number = EIO;
    else if (::rename(from.c_str(), to.c_str()) != 0)
        number = errno;
    return number == 0 ? Result::ok() : fail("cannot replace", to, number);
}

Result CommitTempFile(const std::string& tempPath, const std::string& path, bool flushFolder)
{
    if (Result renamed = RenameFile(tempPath, path); !renamed.isOk()) {
        ::unlink(tempPath.c_str());
        return renamed;
    }
    // The rename itself must reach the disk too, or a power cut could bring the old file back.
    if (flushFolder)
        SyncFolder(folderOf(path));
    return Result::ok();
}

Result WriteFileAtomically(const std::string& path, const std::string& tempPath, std::string_view bytes)
{
    if (Result written = WriteTempFile(tempPath, bytes); !written.isOk())
        return written;
    return CommitTempFile(tempPath, path);
}

namespace {

// Why a file is not read, or an empty text when it may be: not a regular file, or too large.
std::string refusal(const struct stat& info)
{
    if (S_ISDIR(info.st_mode))
        return "it is a folder, not a file";
    if (!S_ISREG(info.st_mode))
        return "it is not a regular file (a pipe, a device or a socket)";
    if (static_cast<std::uintmax_t>(info.st_size) > sizeBound())
        return "it is larger than " + FileSizeBoundText() + ", the most Coffernote reads";
    return {};
}

} // namespace

Outcome<std::string> ReadWholeFile(const std::string& path)
{
    // Looked at before it is opened: opening a pipe would wait for a writer.
    struct stat info;
    if (::stat(path.c_str(), &info) != 0)
        return {fail("cannot open", path, errno)};
    std::string why = refusal(info);
    if (!why.empty())
        return {Result::failed("cannot read " + path + ": " + why)};
    // Non-blocking, in case something else was put under the name since the look.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return {fail("cannot open", path, errno)};
    int number = 0;
    if (::fstat(fd, &info) != 0)
        number = errno;
    else
        why = refusal(info);
    std::string data;
    if (number == 0 && why.empty())
        data.resize(static_cast<std::size_t>(info.st_size));
    std::size_t got = 0;
    while (number == 0 && why.empty()) {
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
        if (got > sizeBound())
            why = "it grew beyond " + FileSizeBoundText() + " while it was read";
    }
    ::close(fd);
    if (number != 0)
        return {fail("cannot read", path, number)};
    if (!why.empty())
        return {Result::failed("cannot read " + path + ": " + why)};
    data.resize(got);
    return {Result::ok(), std::move(data)};
}
