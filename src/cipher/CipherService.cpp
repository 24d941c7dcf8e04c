#include "cipher/CipherService.h"

#include "base/AtomicFile.h"
#include "cipher/Base64.h"
#include "cipher/CipherComponent.h"
#include "cipher/SecureWipe.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>

#include <stdlib.h>
#include <unistd.h>

namespace {

constexpr std::size_t kMinKey2Characters = 8;

// Suite 0..13 to the component's algorithm id.
constexpr std::array<int, 14> kAlgorithmIds = {18, 3, 55, 51, 59, 34, 102, 99, 96, 86, 83, 80, 257, 64};

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

// Writes the bytes to a new file in the target's folder, flushes it and renames it over the target, so the target
// is either replaced whole or left as it was.
Result replaceFile(const std::string& target, const void* data, std::size_t size)
{
    // A name of its own beside the target, so that no file of the user's is taken for a leftover.
    std::string temp = target + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return Result::failed("cannot create a file beside " + target);
    ::close(fd);
    return WriteFileAtomically(target, temp, std::string_view(static_cast<const char*>(data), size));
}

// The end of a file operation that got past its first checks: buffers, paths and keys are emptied either way.
Result finishFileOperation(Result result, Bytes& buffer, std::string& source, std::string& target, SecretString& key1,
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

Outcome<std::string> EncryptString(int suite, SecretString& text, bool base64, SecretString& key1, SecretString& key2)
{
    CipherComponent component;
    PadKey2(key2);
    Outcome<std::string> result{Result::failed("")};
    if (const std::optional<int> algorithm = AlgorithmForSuite(suite)) {
        Bytes cipher;
        if (const int status = component.EncryptStr(*algorithm, key1, key2, text, cipher); status < 0)
            return {Result::failed(CipherComponent::describe(status))};
        result = {Result::ok(), base64 ? Base64Encode(cipher) : std::string(cipher.begin(), cipher.end())};
    }
    wipe(key1);
    wipe(key2);
    wipe(text);
    return result;
}

Outcome<SecretString> DecryptString(int suite, std::string& text, bool base64, SecretString& key1, SecretString& key2)
{
    CipherComponent component;
    Bytes cipher;
    if (base64 && !text.empty()) {
        std::optional<Bytes> decoded = Base64Decode(text);
        if (!decoded)
            return {Result::failed("")};
        cipher = std::move(*decoded);
        text.assign(cipher.begin(), cipher.end());
    } else {
        cipher.assign(text.begin(), text.end());
    }
    PadKey2(key2);
    Outcome<SecretString> result{Result::failed("")};
    if (const std::optional<int> algorithm = AlgorithmForSuite(suite)) {
        if (const int status = component.DecryptStr(*algorithm, key1, key2, cipher, result.value); status < 0)
            return {Result::failed(CipherComponent::describe(status))};
        result.result = Result::ok();
    }
    wipe(key1);
    wipe(key2);
    wipe(text);
    return result;
}

namespace {

Outcome<Bytes> componentResult(int status, Bytes&& bytes)
{
    if (status < 0)
        return {Result::failed(CipherComponent::describe(status))};
    return {Result::ok(), std::move(bytes)};
}

} // namespace

Outcome<Bytes> EncryptBytes(int suite, Bytes& data, SecretString& key1, SecretString& key2)
{
    CipherComponent component;
    PadKey2(key2);
    Outcome<Bytes> result{Result::failed("")};
    if (const std::optional<int> algorithm = AlgorithmForSuite(suite)) {
        Bytes cipher;
        const int status = component.Encrypt(*algorithm, key1, key2, data, cipher);
        result = componentResult(status, std::move(cipher));
    }
    wipe(data);
    wipe(key1);
    wipe(key2);
    return result;
}

Outcome<Bytes> DecryptBytes(int suite, Bytes& data, SecretString& key1, SecretString& key2)
{
    CipherComponent component;
    PadKey2(key2);
    Outcome<Bytes> result{Result::failed("")};
    if (const std::optional<int> algorithm = AlgorithmForSuite(suite)) {
        Bytes plain;
        const int status = component.Decrypt(*algorithm, key1, key2, data, plain);
        result = componentResult(status, std::move(plain));
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

Result EncryptFile(int suite, std::string& source, std::string& target, bool overwrite, bool base64, SecretString& key1,
                   SecretString& key2)
{
    if (!FileIsPresent(source))
        return Result::failed("no source file");
    if (FileIsPresent(target) && !overwrite)
        return Result::failed("the target exists");

    Bytes buffer;
    if (!readWholeFile(source, buffer))
        return finishFileOperation(Result::failed("cannot read the source"), buffer, source, target, key1, key2);
    // The cipher bytes come first: a failing encryption must not cost the existing target.
    Outcome<Bytes> cipher = EncryptBytes(suite, buffer, key1, key2);
    if (!cipher.result.isOk())
        return finishFileOperation(std::move(cipher.result), buffer, source, target, key1, key2);
    Result written = Result::ok();
    if (base64) {
        const std::string text = Base64Encode(cipher.value);
        written = replaceFile(target, text.data(), text.size());
    } else {
        written = replaceFile(target, cipher.value.data(), cipher.value.size());
    }
    return finishFileOperation(std::move(written), buffer, source, target, key1, key2);
}

Result DecryptFile(int suite, std::string& source, std::string& target, bool /*overwrite*/, bool base64,
                   SecretString& key1, SecretString& key2)
{
    // Never writes over an existing file, whatever the overwrite flag says.
    if (!FileIsPresent(source))
        return Result::failed("no source file");
    if (FileIsPresent(target))
        return Result::failed("the target exists");

    Bytes buffer;
    if (!readWholeFile(source, buffer))
        return finishFileOperation(Result::failed("cannot read the source"), buffer, source, target, key1, key2);
    if (base64) {
        std::optional<Bytes> decoded =
            Base64Decode(std::string_view(reinterpret_cast<const char*>(buffer.data()), buffer.size()));
        if (!decoded)
            return finishFileOperation(Result::failed("the source is not Base64"), buffer, source, target, key1, key2);
        buffer = std::move(*decoded);
    }
    Outcome<Bytes> plain = DecryptBytes(suite, buffer, key1, key2);
    if (!plain.result.isOk())
        return finishFileOperation(std::move(plain.result), buffer, source, target, key1, key2);
    Result written = replaceFile(target, plain.value.data(), plain.value.size());
    wipe(plain.value);
    return finishFileOperation(std::move(written), buffer, source, target, key1, key2);
}

Outcome<std::string> EncryptField(std::string_view text)
{
    // Secret copies: they wipe themselves, whether the service emptied them or the encryption failed.
    SecretString plain(text);
    SecretString key1(kKey1);
    SecretString key2(kKey2);
    return EncryptString(kProgramSuite, plain, true, key1, key2);
}

Outcome<SecretString> DecryptField(const std::string& text)
{
    std::string cipher = text;
    SecretString key1(kKey1);
    SecretString key2(kKey2);
    return DecryptString(kProgramSuite, cipher, true, key1, key2);
}
