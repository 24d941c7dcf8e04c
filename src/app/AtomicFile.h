#pragma once

#include <string>
#include <string_view>

// Writes a file so that a crash or a full disk never leaves it half written: the bytes go to tempPath in the
// same folder, are flushed to disk, and only then renamed over path. On failure path is untouched, the
// temporary file is removed and error says why.
bool WriteFileAtomically(const std::string& path, const std::string& tempPath, std::string_view bytes,
                         std::string* error = nullptr);

// Reads a whole file; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& bytes);
