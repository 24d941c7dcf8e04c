#pragma once

#include <string>

inline constexpr const char* kAccountFileName = "settings.dat";
inline constexpr const char* kTempAccountFileName = "settings2.dat";
inline constexpr const char* kOptionsFileName = "config.dat";
// The options file's new content waits here until it replaces "config.dat" by a rename.
inline constexpr const char* kTempOptionsFileName = "config2.dat";

// Joins a folder and a file name with the native separator; a folder ending in "\" or "/" gets none added,
// and an empty folder gives the name alone.
std::string JoinPath(const std::string& folder, const std::string& name);

bool FileExists(const std::string& path);
bool RemoveFile(const std::string& path);
