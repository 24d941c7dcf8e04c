#pragma once

#include <string>

// An exclusive advisory lock (flock), held for as long as this object keeps the locked thing open. The kernel
// releases it when the process ends in any way, so the lock of a killed run is free at once; two opens exclude
// each other also within one process.
//
// A data folder is locked as itself, through a descriptor of the folder: nothing is written into it, so a
// synchronisation engine that carries the folder's files to another computer has nothing of the lock to carry
// there or to replace here. A lock file (created owner-only) serves where the folder is not the thing to lock:
// the runtime folder's lock of a run that only reads.
class DataFolderLock
{
public:
    enum class Kind { Folder, File };
    enum class Result {
        Held,         // this object holds the lock now
        TakenByOther, // another copy holds it
        Unavailable,  // it cannot be had here (see error()): not there, not openable, or not lockable
    };

    explicit DataFolderLock(std::string path, Kind kind = Kind::Folder);
    ~DataFolderLock(); // releases the lock
    DataFolderLock(const DataFolderLock&) = delete;
    DataFolderLock& operator=(const DataFolderLock&) = delete;

    Result acquire();
    // True while the lock is held and the path still names the thing locked: false once it was deleted, moved
    // or replaced behind this copy's back (a copy started since may hold the new one).
    bool held() const;
    // Frees the lock; a lock file is removed (only while it is still the one held), a folder stays.
    void release();

    const std::string& path() const { return path_; }
    int error() const { return error_; } // errno of the failure that made acquire() answer Unavailable

private:
    std::string path_;
    Kind kind_;
    int fd_ = -1;
    int error_ = 0;
};
