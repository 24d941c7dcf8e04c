#include "app/files/Paths.h"

#include <filesystem>
#include <system_error>

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    const char last = folder.back();
    if (last == '\\' || last == '/')
        return folder + name;
    std::string joined;
    joined.reserve(folder.size() + 1 + name.size());
    joined += folder;
    joined += static_cast<char>(std::filesystem::path::preferred_separator);
    joined += name;
    return joined;
}

// Anything present under the name counts, not only regular files: a data file that cannot be read must be
// reported as such, never mistaken for a missing one (which would start the program with no accounts and let
// the next save replace it).
bool FileExists(const std::string& path)
{
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    return std::filesystem::exists(status);
}

bool RemoveFile(const std::string& path)
{
    std::error_code ec;
    if (std::filesystem::is_directory(std::filesystem::symlink_status(path, ec)))
        return false;
    std::filesystem::remove(path, ec);
    return !ec && !std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}
