#include "cipher/CipherService.h"

#include "cipher/Base64.h"
#include "cipher/CipherComponent.h"
#include "cipher/SecureWipe.h"

#include <array>

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

} // namespace

std::optional<int> AlgorithmForSuite(int suite)
{
    if (suite < 0 || suite >= static_cast<int>(kAlgorithmIds.size()))
        return std::nullopt;
    return kAlgorithmIds[static_cast<std::size_t>(suite)];
}

void PadKey2(SecretString& key2)
{
    const std::size_t characters = characterCount(key2.view());
    if (characters >= kMinKey2Characters)
        return;
    SecretString padded(kMinKey2Characters - characters, ' ');
    padded += key2.view();
    key2 = std::move(padded);
}

Outcome<std::string> EncryptString(int suite, SecretString& text, bool base64, SecretString& key1, SecretString& key2)
{
    CipherComponent component;
    PadKey2(key2);
    Outcome<std::string> result{Result::failed("")};
    if (const std::optional<int> algorithm = AlgorithmForSuite(suite)) {
        Bytes cipher;
        if (const int status = component.EncryptStr(*algorithm, key1.view(), key2.view(), text.view(), cipher);
            status < 0)
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
        if (const int status = component.DecryptStr(*algorithm, key1.view(), key2.view(), cipher, result.value);
            status < 0)
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
        const int status = component.Encrypt(*algorithm, key1.view(), key2.view(), data, cipher);
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
        const int status = component.Decrypt(*algorithm, key1.view(), key2.view(), data, plain);
        result = componentResult(status, std::move(plain));
    }
    wipe(data);
    wipe(key1);
    wipe(key2);
    return result;
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
