#include "app/IntegrityStamp.h"

#include "app/AppState.h"
#include "app/BinaryFileStream.h"
#include "app/CRC32.h"
#include "app/OptionsFile.h"
#include "app/Paths.h"
#include "cipher/CipherService.h"

std::uint32_t ComputeIntegrityStamp(const std::string& folder)
{
    cBinaryFileStream stream;
    stream.File(JoinPath(folder, kAccountFileName));
    const cCRC32 crc;
    const std::uint32_t result = crc.GetFileCrc32(stream);
    stream.Dispose();
    return result;
}

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

bool encryptStamp(AppState& state, std::uint32_t crc)
{
    state.AccountFileCrc = crc;
    bool ok = false;
    state.ComputedStamp = EncryptField(StampText(crc), &ok);
    if (!ok)
        state.ComputedStamp.clear();
    return ok;
}

StampCheck compare(AppState& state, OptionsRecord& options, std::string* error)
{
    if (const Outcome<bool> read = ReadOptionsFile(state.programFolder, options); !read.result.isOk()) {
        // A stamp that cannot be read is not a stamp that differs: never offer to delete accounts for it.
        if (error)
            *error = read.result.message();
        return StampCheck::Unreadable;
    }
    return options.get(OptionsRecord::IntegrityStamp) == state.ComputedStamp ? StampCheck::Match
                                                                             : StampCheck::Mismatch;
}

} // namespace

bool ComputeStamp(AppState& state)
{
    std::uint32_t crc = 0;
    try {
        crc = ComputeIntegrityStamp(state.programFolder);
    } catch (const FileStreamError&) {
        return false;
    }
    return encryptStamp(state, crc);
}

bool ComputeStampOf(AppState& state, std::string_view accountFileBytes)
{
    const cCRC32 crc;
    return encryptStamp(
        state, crc.GetByteArrayCrc32(reinterpret_cast<const unsigned char*>(accountFileBytes.data()),
                                     accountFileBytes.size()));
}

StampCheck CheckStamp(AppState& state, OptionsRecord& options, std::string* error)
{
    const std::string path = JoinPath(state.programFolder, kAccountFileName);
    std::uint32_t crc = 0;
    try {
        crc = ComputeIntegrityStamp(state.programFolder);
    } catch (const FileStreamError& e) {
        if (error)
            *error = "cannot read " + path + ": " + describeStreamError(e.number()) + " (error " +
                     std::to_string(e.number()) + ")";
        return StampCheck::Unreadable;
    }
    if (!encryptStamp(state, crc)) {
        if (error)
            *error = "cannot compute the integrity stamp of " + path;
        return StampCheck::Unreadable;
    }
    return compare(state, options, error);
}

StampCheck CheckStampOf(AppState& state, OptionsRecord& options, std::string_view accountFileBytes,
                        std::string* error)
{
    if (!ComputeStampOf(state, accountFileBytes)) {
        if (error)
            *error = "cannot compute the integrity stamp of " + JoinPath(state.programFolder, kAccountFileName);
        return StampCheck::Unreadable;
    }
    return compare(state, options, error);
}
