#include "cipher/CipherService.h"

#include "cipher/Base64.h"
#include "cipher/CipherComponent.h"
#include "cipher/SecureWipe.h"
#include "platform/Platform.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

constexpr std::size_t kMinKey2Characters = 8;

// Suite 0..13 to the component's algorithm id.
constexpr std::array<int, 14> kAlgorithmIds = {18, 3, 55, 51, 59, 34, 102, 99, 96, 86, 83, 80, 257, 64};

void setOk(bool* ok, bool value)
{
    if (ok != nullptr)
        *ok = value;
}

// Characters, not bytes: a UTF-8 sequence counts once.
std::size_t characterCount(std::string_view s)
{
    std::size_t count = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80)
            ++count;
    return count;
}

bool readWholeFile(const std::string& path, Bytes& bytes)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size == 0)
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.resize(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<std::uintmax_t>(in.gcount()) == size;
}

bool writeAll(int fd, const unsigned char* data, std::size_t size)
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

// Writes the bytes to a new file in the target's folder, flushes it and renames it over the target, so the target
// is either replaced whole or left as it was.
bool replaceFile(const std::string& target, const unsigned char* data, std::size_t size)
{
    std::string temp = target + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, data, size) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok && std::rename(temp.c_str(), target.c_str()) == 0) {
        std::filesystem::path folder = std::filesystem::path(target).parent_path();
        if (folder.empty())
            folder = ".";
        if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY); dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
        return true;
    }
    std::remove(temp.c_str());
    return false;
}

// The end of a file operation that got past its first checks: buffers, paths and keys are emptied either way.
bool finishFileOperation(bool result, Bytes& buffer, std::string& source, std::string& target, SecretString& key1,
                         SecretString& key2)
{
    wipe(buffer);
    wipe(source);
    wipe(target);
    wipe(key1);
    wipe(key2);
    return result;
}

} // namespace

std::optional<int> AlgorithmForSuite(int suite)
{
    if (suite < 0 || suite >= static_cast<int>(kAlgorithmIds.size()))
        return std::nullopt;
    return kAlgorithmIds[static_cast<std::size_t>(suite)];
}

void PadKey2(SecretString& key2)
{
    const std::size_t characters = characterCount(key2);
    if (characters >= kMinKey2Characters)
        return;
    SecretString padded(kMinKey2Characters - characters, ' ');
    padded += key2;
    key2 = std::move(padded);
}

std::string EncryptString(int suite, SecretString& text, bool base64, SecretString& key1, SecretString& key2, bool* ok)
{
    setOk(ok, false);
    CipherComponent component;
    PadKey2(key2);
    const std::optional<int> algorithm = AlgorithmForSuite(suite);
    std::string result;
    if (algorithm) {
        Bytes cipher;
        if (component.EncryptStr(*algorithm, key1, key2, text, cipher) < 0)
            return {};
        result = base64 ? Base64Encode(cipher) : std::string(cipher.begin(), cipher.end());
    }
    wipe(key1);
    wipe(key2);
    wipe(text);
    setOk(ok, algorithm.has_value());
    return result;
}

SecretString DecryptString(int suite, std::string& text, bool base64, SecretString& key1, SecretString& key2, bool* ok)
{
    setOk(ok, false);
    CipherComponent component;
    Bytes cipher;
    if (base64 && !text.empty()) {
        std::optional<Bytes> decoded = Base64Decode(text);
        if (!decoded)
            return {};
        cipher = std::move(*decoded);
        text.assign(cipher.begin(), cipher.end());
    } else {
        cipher.assign(text.begin(), text.end());
    }
    PadKey2(key2);
    const std::optional<int> algorithm = AlgorithmForSuite(suite);
    SecretString result;
    if (algorithm && component.DecryptStr(*algorithm, key1, key2, cipher, result) < 0)
        return {};
    wipe(key1);
    wipe(key2);
    wipe(text);
    setOk(ok, algorithm.has_value());
    return result;
}

std::optional<Bytes> EncryptBytes(Platform& platform, int suite, Bytes& data, SecretString& key1, SecretString& key2)
{
    CipherComponent component;
    PadKey2(key2);
    std::optional<Bytes> result;
    if (const std::optional<int> algorithm = AlgorithmForSuite(suite)) {
        Bytes cipher;
        const int status = component.Encrypt(*algorithm, key1, key2, data, cipher);
        if (status < 0)
            platform.message(CipherComponent::describe(status), MsgOk);
        else
            result = std::move(cipher);
    }
    wipe(data);
    wipe(key1);
    wipe(key2);
    return result;
}

std::optional<Bytes> DecryptBytes(Platform& platform, int suite, Bytes& data, SecretString& key1, SecretString& key2)
{
    CipherComponent component;
    PadKey2(key2);
    std::optional<Bytes> result;
    if (const std::optional<int> algorithm = AlgorithmForSuite(suite)) {
        Bytes plain;
        const int status = component.Decrypt(*algorithm, key1, key2, data, plain);
        if (status < 0)
            platform.message(CipherComponent::describe(status), MsgOk);
        else
            result = std::move(plain);
    }
    wipe(data);
    wipe(key1);
    wipe(key2);
    return result;
}

bool FileIsPresent(const std::string& path)
{
    std::error_code ec;
    [[maybe_unused]] const auto size = std::filesystem::file_size(path, ec);
    return !ec;
}

bool EncryptFile(Platform& platform, int suite, std::string& source, std::string& target, bool overwrite, bool base64,
                 SecretString& key1, SecretString& key2)
{
    if (!FileIsPresent(source))
        return false;
    if (FileIsPresent(target) && !overwrite)
        return false;

    Bytes buffer;
    if (!readWholeFile(source, buffer))
        return finishFileOperation(false, buffer, source, target, key1, key2);
    // The cipher bytes come first: a failing encryption must not cost the existing target.
    std::optional<Bytes> cipher = EncryptBytes(platform, suite, buffer, key1, key2);
    if (!cipher)
        return finishFileOperation(false, buffer, source, target, key1, key2);
    bool written;
    if (base64) {
        const std::string text = Base64Encode(*cipher);
        written = replaceFile(target, reinterpret_cast<const unsigned char*>(text.data()), text.size());
    } else {
        written = replaceFile(target, cipher->data(), cipher->size());
    }
    return finishFileOperation(written, buffer, source, target, key1, key2);
}

bool DecryptFile(Platform& platform, int suite, std::string& source, std::string& target, bool /*overwrite*/,
                 bool base64, SecretString& key1, SecretString& key2)
{
    // Never writes over an existing file, whatever the overwrite flag says.
    if (!FileIsPresent(source))
        return false;
    if (FileIsPresent(target))
        return false;

    Bytes buffer;
    if (!readWholeFile(source, buffer))
        return finishFileOperation(false, buffer, source, target, key1, key2);
    if (base64) {
        std::optional<Bytes> decoded =
            Base64Decode(std::string_view(reinterpret_cast<const char*>(buffer.data()), buffer.size()));
        if (!decoded)
            return finishFileOperation(false, buffer, source, target, key1, key2);
        buffer = std::move(*decoded);
    }
    std::optional<Bytes> plain = DecryptBytes(platform, suite, buffer, key1, key2);
    if (!plain)
        return finishFileOperation(false, buffer, source, target, key1, key2);
    const bool written = replaceFile(target, plain->data(), plain->size());
    wipe(*plain);
    return finishFileOperation(written, buffer, source, target, key1, key2);
}

std::string EncryptField(std::string_view text, bool* ok)
{
    // The copies go with their scope, overwritten, whether or not the encryption used them up.
    SecretString plain = text;
    SecretString key1 = kKey1;
    SecretString key2 = kKey2;
    return EncryptString(kProgramSuite, plain, true, key1, key2, ok);
}

SecretString DecryptField(const std::string& text, bool* ok)
{
    std::string cipher = text;
    SecretString key1 = kKey1;
    SecretString key2 = kKey2;
    return DecryptString(kProgramSuite, cipher, true, key1, key2, ok);
}
