#include "app/files/DataFiles.h"

#include "app/files/Paths.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Result NonRegularDataFile(const std::string& folder)
{
    for (const char* name : {kAccountFileName, kTempAccountFileName, kOptionsFileName, kTempOptionsFileName}) {
        const std::string path = JoinPath(folder, name);
        struct stat info;
        if (::stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode))
            continue; // missing (or a dangling link, as good as missing), or a file
        return Result::failed(
            path + " is " + (S_ISDIR(info.st_mode) ? "a folder" : "not a regular file (a pipe, a device or a socket)") +
            ", not a data file Coffernote can use");
    }
    return Result::ok();
}

bool IsPlainFile(const std::string& path)
{
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

Result FolderWritable(const std::string& folder)
{
    // Writing needs the right to write and to search the folder; a read-only file system says so too.
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0)
        return Result::ok();
    return Result::failed(std::strerror(errno));
}

bool OwnedByUserAlone(const FileIdentity& read)
{
    return read.owner == ::geteuid() && (read.mode & (S_IWGRP | S_IWOTH)) == 0;
}
