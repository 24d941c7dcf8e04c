#pragma once

#include "cipher/Bytes.h"
#include "cipher/SecretString.h"

#include <optional>
#include <string>
#include <string_view>

class Platform;

// The cipher service: the only code that calls the cipher component. Texts are UTF-8.
// As callers rely on, every operation empties the keys, texts, data and paths it was given once it has used
// them (secrets are overwritten first), so callers pass fresh copies of the fixed keys each time.

inline constexpr const char* kKey1 = "Coffernote/field-and-file/v1";
inline constexpr const char* kKey2 = "k9#pz]71>q(vmdhrt438xw01ut ye 6624 81u507qwn492 +=;m7zdr";

// The suite every caller in the program uses.
inline constexpr int kProgramSuite = 1;

// Maps a suite 0..13 to the component's algorithm id; nothing for any other suite.
std::optional<int> AlgorithmForSuite(int suite);

// Pads key2 with leading blanks to 8 characters.
void PadKey2(SecretString& key2);

// Returns the cipher text ("" on failure, without emptying the arguments). When ok is given it tells success.
// The plain text is a secret; the cipher text is not.
std::string EncryptString(int suite, SecretString& text, bool base64, SecretString& key1, SecretString& key2,
                          bool* ok = nullptr);
SecretString DecryptString(int suite, std::string& text, bool base64, SecretString& key1, SecretString& key2,
                           bool* ok = nullptr);

// Show the component's failure in a message box through the seam and return nothing. A suite outside the table
// makes no call and returns nothing, without a message.
std::optional<Bytes> EncryptBytes(Platform& platform, int suite, Bytes& data, SecretString& key1, SecretString& key2);
std::optional<Bytes> DecryptBytes(Platform& platform, int suite, Bytes& data, SecretString& key1, SecretString& key2);

bool FileIsPresent(const std::string& path);

// EncryptFile produces the cipher bytes before it touches the target, so a failure leaves an existing
// target as it was.
bool EncryptFile(Platform& platform, int suite, std::string& source, std::string& target, bool overwrite, bool base64,
                 SecretString& key1, SecretString& key2);
bool DecryptFile(Platform& platform, int suite, std::string& source, std::string& target, bool overwrite, bool base64,
                 SecretString& key1, SecretString& key2);

// Shorthands for the program's own calls: suite 1, Base64, the fixed keys.
std::string EncryptField(std::string_view text, bool* ok = nullptr);
SecretString DecryptField(const std::string& text, bool* ok = nullptr);
