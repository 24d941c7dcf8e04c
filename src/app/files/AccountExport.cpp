// Writing the exchange format: the export.
#include "app/files/AccountExchange.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/AtomicFile.h"
#include "cipher/SecureWipe.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>

namespace {

std::string Reason(int err)
{
    return err != 0 ? std::string(std::strerror(err)) : std::string("unknown error");
}

std::string_view exchangedText(const AccountRecord& r, std::size_t field)
{
    return VisitExchangedField(r, field, [](const auto& text) { return std::string_view(text.data(), text.size()); });
}

} // namespace

std::string FormatExport(const AccountTable& table)
{
    std::size_t size = 0;
    for (std::size_t i = 1; i < table.size(); ++i)
        for (std::size_t f = 0; f < kExchangedFieldCount; ++f) {
            const std::string_view value = exchangedText(table[i], f);
            size += value.size() + 3 + static_cast<std::size_t>(std::count(value.begin(), value.end(), '"'));
        }
    std::string out;
    out.reserve(size + table.size() * 2);
    for (std::size_t i = 1; i < table.size(); ++i) {
        for (std::size_t f = 0; f < kExchangedFieldCount; ++f) {
            if (f > 0)
                out += ',';
            out += '"';
            // A double quote inside a value is written twice, so the value reads back whole.
            const std::string_view value = exchangedText(table[i], f);
            for (std::size_t from = 0;;) {
                const std::size_t quote = value.find('"', from);
                out.append(value, from, quote == std::string_view::npos ? std::string_view::npos : quote + 1 - from);
                if (quote == std::string_view::npos)
                    break;
                out += '"';
                from = quote + 1;
            }
            out += '"';
        }
        out += "\r\n";
    }
    return out;
}

namespace {

// Why path cannot take an export, before anything is written; empty when it can. Only a plain file is ever
// replaced: a folder, a device or a link the user pointed at stays what it is.
std::string UnfitTarget(const std::string& path)
{
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0)
        return errno == ENOENT ? std::string() : Reason(errno);
    if (S_ISDIR(info.st_mode))
        return "It is a folder, not a file";
    if (S_ISLNK(info.st_mode))
        return "It is a symbolic link; choose the file it points to";
    if (!S_ISREG(info.st_mode))
        return "It is not a regular file";
    // A file its owner made read-only stays as it is, although its folder would let it be replaced.
    if (::access(path.c_str(), W_OK) != 0)
        return Reason(errno);
    return {};
}

constexpr const char* kTempPrefix = ".coffernote-export-";
constexpr std::size_t kTempSuffixLength = 6; // as mkstemp makes it

std::string folderOf(const std::string& path)
{
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

// Removes what an export killed before its rename left in folder: files of our own name pattern, regular files
// (never a link), owned by this user.
void RemoveLeftovers(const std::string& folder)
{
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec), end;
    const std::string prefix = kTempPrefix;
    for (; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() != prefix.size() + kTempSuffixLength || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        struct stat info;
        const std::string path = it->path().string();
        if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid())
            ::unlink(path.c_str());
    }
}

} // namespace

Result WriteExportFile(const std::string& path, const AccountTable& table, bool* inPlace)
{
    auto failed = [&](const std::string& why) {
        return Result::failed("The file " + path + " could not be written: " + why + ".");
    };
    std::string why = UnfitTarget(path);
    if (!why.empty())
        return failed(why);
    std::string bytes;
    try {
        bytes = FormatExport(table);
    } catch (const std::bad_alloc&) {
        return failed("not enough memory");
    }

    // The export holds every password in clear text. It goes to a new file of its owner's alone, flushed whole
    // before it gets a name or replaces the old one, so a failure leaves the old file as it was and nobody
    // else's eyes see it.
    // Nothing but the chosen name ever holds it: an old file there is removed just before the new one is linked
    // in, so a kill between the two leaves neither, never a second copy under a hidden name. Only where the file
    // system makes no nameless files is it written under a name of our pattern first; a kill before its rename
    // leaves that whole, and the next export removes it.
    RemoveLeftovers(folderOf(path));
    bool unflushed = false;
    const Result written = WriteFileNamedWhole(path, kTempPrefix, bytes, &unflushed, OverOldFile::RemoveFirst);
    const bool ok = written.isOk();
    // The writer says "<what> <file>: <reason>"; the user is told the reason against the chosen file.
    if (!ok) {
        const std::string& atomicError = written.message();
        const auto colon = atomicError.rfind(": ");
        why = colon == std::string::npos ? atomicError : atomicError.substr(colon + 2);
        if (atomicError.rfind(kCannotCreateIn, 0) == 0)
            why = "A new file cannot be made in its folder: " + why;
    }
    wipe(bytes);
    if (unflushed) {
        if (inPlace)
            *inPlace = true;
        return Result::failed("The folder of the file " + path + " could not be flushed: " + why +
                              ".\r\nThe file is in place, but it may not survive a power cut.");
    }
    return ok ? Result::ok() : failed(why);
}
