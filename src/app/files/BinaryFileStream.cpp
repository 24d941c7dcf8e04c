#include "app/files/BinaryFileStream.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>

namespace {

// Error numbers as the stream reports them.
constexpr int kFileNotFound = 53;
constexpr int kPermissionDenied = 70;
constexpr int kPathFileAccess = 75;
constexpr int kOverflow = 6;
constexpr int kInputPastEnd = 62;

const std::string kSource = "coffernote.File";

} // namespace

cBinaryFileStream::~cBinaryFileStream()
{
    Dispose();
}

void cBinaryFileStream::File(const std::string& fileName)
{
    Dispose();
    fileName_ = fileName;

    // Only plain files are found; a folder or a device under the name is as good as missing.
    struct stat info;
    if (::stat(fileName.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        throw FileStreamError(kFileNotFound, kSource);
    if (info.st_size > INT32_MAX)
        throw FileStreamError(kOverflow, kSource);

    handle_ = std::fopen(fileName.c_str(), "rb");
    if (!handle_)
        throw FileStreamError(errno == EACCES || errno == EPERM ? kPermissionDenied : kPathFileAccess, kSource);
    // The chunks go straight into the caller's buffer; the stdio buffer would only add a copy.
    std::setvbuf(handle_, nullptr, _IONBF, 0);
    length_ = static_cast<std::int32_t>(info.st_size);
}

std::int32_t cBinaryFileStream::Read(unsigned char* buffer, std::int32_t readSize)
{
    std::int32_t end = 0;
    if (__builtin_add_overflow(position_, readSize, &end))
        throw FileStreamError(kOverflow, kSource);

    if (end < length_) {
        if (!handle_ ||
            std::fread(buffer, 1, static_cast<std::size_t>(readSize), handle_) != static_cast<std::size_t>(readSize))
            throw FileStreamError(kInputPastEnd, kSource);
        position_ = end;
        return readSize;
    }

    const std::int32_t rest = length_ - position_;
    if (rest < 1) {
        Dispose();
        return rest;
    }
    // Only the first rest bytes change; the remainder of the buffer keeps what the previous chunk left there.
    if (!handle_ || std::fread(buffer, 1, static_cast<std::size_t>(rest), handle_) != static_cast<std::size_t>(rest))
        throw FileStreamError(kInputPastEnd, kSource);
    position_ += rest;
    return rest;
}

void cBinaryFileStream::Dispose()
{
    if (handle_) {
        std::fclose(handle_);
        handle_ = nullptr;
    }
}
