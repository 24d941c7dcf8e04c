#pragma once

#include "base/Result.h"
#include "cipher/Bytes.h"
#include "cipher/SecretString.h"

#include <optional>
#include <string>
#include <string_view>

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

// The cipher text (the plain text), emptying the arguments. A failure of the component (or text that is not
// Base64) fails with an empty value and leaves the arguments as they were; a suite outside the table makes no
// call, empties the arguments and fails without a message.
Outcome<std::string> EncryptString(int suite, SecretString& text, bool base64, SecretString& key1, SecretString& key2);
Outcome<SecretString> DecryptString(int suite, std::string& text, bool base64, SecretString& key1, SecretString& key2);

// The cipher layer shows nothing itself. A failure of the component fails with its description as the message,
// for the caller to show (style 0, OK only); a suite outside the table makes no call and fails without a message.
Outcome<Bytes> EncryptBytes(int suite, Bytes& data, SecretString& key1, SecretString& key2);
Outcome<Bytes> DecryptBytes(int suite, Bytes& data, SecretString& key1, SecretString& key2);

// Shorthands for the program's own calls: suite 1, Base64, the fixed keys.
Outcome<std::string> EncryptField(std::string_view text);
Outcome<SecretString> DecryptField(const std::string& text);
