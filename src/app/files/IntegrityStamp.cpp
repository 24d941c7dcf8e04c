#include "app/files/IntegrityStamp.h"

#include "app/AppState.h"
#include "app/files/BinaryFileStream.h"
#include "app/files/CRC32.h"
#include "app/files/OptionsFile.h"
#include "app/files/Paths.h"
#include "cipher/CipherService.h"

std::string StampText(std::uint32_t crc)
{
    static const char digits[] = "0123456789ABCDEF";
    char buffer[8];
    int n = 0;
    do {
        buffer[7 - n++] = digits[crc & 0xFu];
        crc >>= 4;
    } while (crc != 0);
    return std::string(buffer + 8 - n, static_cast<std::size_t>(n));
}

namespace {

const char* describeStreamError(int number)
{
    switch (number) {
    case 53:
        return "not found as a plain file";
    case 70:
        return "permission denied";
    case 62:
        return "the file changed while it was read";
    case 6:
        return "the file is too large";
    default:
        return "access error";
    }
}

} // namespace

Outcome<std::uint32_t> ComputeIntegrityStamp(const std::string& folder)
{
    // The stream reports by exception; here it becomes a message.
    const std::string path = JoinPath(folder, kAccountFileName);
    try {
        cBinaryFileStream stream;
        stream.File(path);
        const cCRC32 crc;
        const std::uint32_t result = crc.GetFileCrc32(stream);
        stream.Dispose();
        return {Result::ok(), result};
    } catch (const FileStreamError& e) {
        return {Result::failed("cannot read " + path + ": " + describeStreamError(e.number()) + " (error " +
                               std::to_string(e.number()) + ")")};
    }
}

namespace {

Result encryptStamp(AppState& state, std::uint32_t crc)
{
    state.AccountFileCrc = crc;
    Outcome<std::string> stamp = EncryptField(StampText(crc));
    state.ComputedStamp = std::move(stamp.value);
    if (stamp.result.isOk())
        return Result::ok();
    state.ComputedStamp.clear();
    return Result::failed("cannot compute the integrity stamp of " + JoinPath(state.programFolder, kAccountFileName));
}

Outcome<bool> compare(AppState& state, OptionsRecord& options)
{
    // A stamp that cannot be read is not a stamp that differs: never offer to delete accounts for it.
    if (Outcome<bool> read = ReadOptionsFile(state.programFolder, options); !read.result.isOk())
        return read;
    return {Result::ok(), options.get(OptionsRecord::IntegrityStamp) == state.ComputedStamp};
}

} // namespace

Result ComputeStamp(AppState& state)
{
    const Outcome<std::uint32_t> crc = ComputeIntegrityStamp(state.programFolder);
    if (!crc.result.isOk())
        return crc.result;
    return encryptStamp(state, crc.value);
}

Result ComputeStampOf(AppState& state, std::string_view accountFileBytes)
{
    const cCRC32 crc;
    return encryptStamp(state, crc.GetByteArrayCrc32(reinterpret_cast<const unsigned char*>(accountFileBytes.data()),
                                                     accountFileBytes.size()));
}

Outcome<bool> CheckStamp(AppState& state, OptionsRecord& options)
{
    if (Result computed = ComputeStamp(state); !computed.isOk())
        return {std::move(computed)};
    return compare(state, options);
}
