#pragma once

#include <string>

// An exclusive advisory lock (flock) on one file, held for as long as this object holds it open. The kernel
// releases it when the process ends in any way, so the lock of a killed run is free at once; two opens of the
// file exclude each other also within one process. The file carries a short note for the copy that finds it
// taken (the owner's process number and where it listens for requests).
class DataFolderLock
{
public:
    enum class Result {
        Held,         // this object holds the lock now
        TakenByOther, // another copy holds it
        Unavailable,  // nothing is at the path and the file cannot be created there (see error())
        Refused,      // something that is not this user's lock file is at the path (see problem())
    };

    explicit DataFolderLock(std::string path);
    ~DataFolderLock(); // releases the lock
    DataFolderLock(const DataFolderLock&) = delete;
    DataFolderLock& operator=(const DataFolderLock&) = delete;

    Result acquire();
    // True while the lock is held and the file at the path is still the one locked: false once the file was
    // deleted or replaced behind this copy's back (a copy started since may hold the new one).
    bool held() const;
    // Removes the file (only while it is still the one held) and frees the lock.
    void release();

    // Replaces the note in the held file; false when it could not be written (the lock still holds).
    bool writeNote(const std::string& note);
    // The note in the file at path, empty when there is none or it cannot be read.
    static std::string readNote(const std::string& path);

    const std::string& path() const { return path_; }
    int error() const { return error_; } // errno of the failure that made acquire() answer Unavailable
    // After Refused: what is wrong with what is at the path ("is a folder", "belongs to another user (bob)").
    const std::string& problem() const { return problem_; }

private:
    std::string path_;
    int fd_ = -1;
    int error_ = 0;
    std::string problem_;
};
