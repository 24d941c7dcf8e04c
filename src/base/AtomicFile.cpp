#include "base/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
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

Result SyncFolder(const std::string& folder)
{
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return fail("cannot open the folder", folder, errno);
    int number = 0;
    if (injected(FileFault::FolderFlush, folder))
        number = EIO;
    else if (::fsync(dir) != 0)
        number = errno;
    ::close(dir);
    return number == 0 ? Result::ok() : fail("cannot flush the folder", folder, number);
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
    return flushFolder ? SyncFolder(folderOf(path)) : Result::ok();
}

Result WriteFileAtomically(const std::string& path, const std::string& tempPath, std::string_view bytes)
{
    if (Result written = WriteTempFile(tempPath, bytes); !written.isOk())
        return written;
    return CommitTempFile(tempPath, path);
}

namespace {

// The last step of a file put in place: its name must reach the disk too.
Result flushOver(const std::string& folder, bool* inPlace)
{
    Result flushed = SyncFolder(folder);
    if (!flushed.isOk() && inPlace)
        *inPlace = true;
    return flushed;
}

} // namespace

Result WriteFileNamedWhole(const std::string& path, const std::string& tempPrefix, std::string_view bytes,
                           bool* inPlace, OverOldFile over)
{
    const std::string folder = folderOf(path);
    const std::string pattern = folder + "/" + tempPrefix + "XXXXXX";
    int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    const auto cannotCreate = [&folder](int number) {
        return Result::failed(kCannotCreateIn + folder + ": " + std::strerror(number));
    };
    if (fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        return cannotCreate(errno);
    if (fd < 0) {
        // No nameless files here (the file system says EOPNOTSUPP, a kernel without them EISDIR or EINVAL): the
        // file is named from the start, and written like any save; a kill before the rename leaves it whole
        // under that name.
        std::string temp = pattern;
        const int named = ::mkstemp(temp.data());
        if (named < 0)
            return cannotCreate(errno);
        ::close(named);
        if (Result written = WriteTempFile(temp, bytes); !written.isOk())
            return written;
        if (Result renamed = CommitTempFile(temp, path, false); !renamed.isOk())
            return renamed;
        return flushOver(folder, inPlace);
    }
    int number = 0;
    if (injected(FileFault::WriteHalfway, path)) {
        (void)writeAll(fd, bytes.data(), bytes.size() / 2);
        number = ENOSPC;
    } else if (!writeAll(fd, bytes.data(), bytes.size())) {
        number = errno;
    }
    if (number == 0 && ::fsync(fd) != 0)
        number = errno;
    if (number != 0) {
        ::close(fd); // the nameless file goes with it
        return fail("cannot write", path, number);
    }
    // Whole: the file gets its name. A link through /proc needs no privilege (AT_EMPTY_PATH would).
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    const auto link = [&](const std::string& name) {
        return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
    };
    Result result = Result::ok();
    if (injected(FileFault::Rename, path)) {
        result = fail("cannot replace", path, EIO);
    } else if (!link(path)) {
        if (errno != EEXIST) {
            result = fail("cannot create", path, errno);
        } else if (over == OverOldFile::RemoveFirst) {
            // The new file is whole on disk before the old one goes, so a full disk fails above with the old
            // file in place; from here a kill leaves no file at all rather than a second name for the new one.
            if ((::unlink(path.c_str()) != 0 && errno != ENOENT) || !link(path))
                result = fail("cannot replace", path, errno);
        } else {
            // An old file stands under the name: the new one takes a unique temporary name and replaces it.
            std::string temp;
            number = 0;
            // A unique name of the pattern, made up here: nothing is created under it before the link.
            std::random_device random;
            const char* const letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
            for (int attempt = 0; attempt < 100 && temp.empty() && number == 0; ++attempt) {
                std::string name = pattern;
                for (std::size_t i = name.size() - 6; i < name.size(); ++i)
                    name[i] = letters[random() % 62];
                if (link(name))
                    temp = std::move(name);
                else if (errno != EEXIST)
                    number = errno;
            }
            if (temp.empty())
                result = cannotCreate(number != 0 ? number : EEXIST);
            else if (::rename(temp.c_str(), path.c_str()) != 0) {
                result = fail("cannot replace", path, errno);
                ::unlink(temp.c_str());
            }
        }
    }
    ::close(fd);
    return result.isOk() ? flushOver(folder, inPlace) : result;
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

namespace {

FileIdentity identityFrom(const struct stat& info)
{
    return {static_cast<std::uint64_t>(info.st_dev),
            static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::uint64_t>(info.st_size),
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
            static_cast<std::uint32_t>(info.st_uid),
            static_cast<std::uint32_t>(info.st_mode)};
}

} // namespace

bool IdentityOf(const std::string& path, FileIdentity& identity)
{
    struct stat info;
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    identity = identityFrom(info);
    return true;
}

Outcome<std::string> ReadWholeFile(const std::string& path)
{
    FileIdentity identity;
    return ReadWholeFile(path, identity);
}

bool IsSameFile(const std::string& path, const FileIdentity& identity)
{
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           static_cast<std::uint64_t>(info.st_dev) == identity.device &&
           static_cast<std::uint64_t>(info.st_ino) == identity.inode;
}

Outcome<std::string> ReadWholeFile(const std::string& path, FileIdentity& identity)
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
    if (::fstat(fd, &info) != 0) {
        number = errno;
    } else {
        why = refusal(info);
        identity = identityFrom(info);
    }
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
