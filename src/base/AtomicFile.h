#pragma once

#include "base/Result.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Writes a file so that a crash or a full disk never leaves it half written: the bytes go to tempPath in the
// same folder, are flushed to disk, and only then renamed over path. On failure path is untouched, the
// temporary file is removed and the message names the file and the reason ("cannot write F: No space left on
// device"). Every operation here fails with such a message.
Result WriteFileAtomically(const std::string& path, const std::string& tempPath, std::string_view bytes);

// The two halves of WriteFileAtomically, for a caller that must have several files ready before it replaces
// any of them. WriteTempFile leaves a complete, flushed tempPath (or none, on failure); CommitTempFile renames
// it over path and flushes the folder (on a failed rename tempPath is removed and path is untouched; on a failed
// flush path is already replaced, whole). A caller that
// commits several files whose order on disk does not matter may flush the folder once, with the last of them.
Result WriteTempFile(const std::string& tempPath, std::string_view bytes);
Result CommitTempFile(const std::string& tempPath, const std::string& path, bool flushFolder = true);
// How WriteFileNamedWhole puts its whole file in the place of an old file of the same name.
enum class OverOldFile {
    // Linked under a temporary name that is renamed over the old file: the name always holds the old file or
    // the new one, but a kill between the link and the rename leaves the new file under the temporary name.
    Rename,
    // The old file is removed, then the new one is linked under its name: a kill between the two leaves no file
    // under the name and none under any other. For bytes that must never be left behind readable (an export's
    // clear text); the old file was the user's to replace.
    RemoveFirst,
};
// Writes bytes to a new file of the owner's alone in path's folder that has no name until it is whole and
// flushed (O_TMPFILE); then it is linked in as path, or, when path exists, put in its place as over says. Where
// the file system makes no nameless files, a file of tempPrefix and six more characters is made and written as
// WriteFileAtomically does (a kill before its rename leaves it whole under that name). A kill leaves no partial
// file under any name. When no file can be made in the folder the message begins with kCannotCreateIn. inPlace,
// when given, is set when the failure came after the whole file was put in place (only the folder could not be
// flushed).
inline constexpr const char* kCannotCreateIn = "cannot create a file in ";
Result WriteFileNamedWhole(const std::string& path, const std::string& tempPrefix, std::string_view bytes,
                           bool* inPlace = nullptr, OverOldFile over = OverOldFile::Rename);
// The rename alone: on failure both files stay as they were.
Result RenameFile(const std::string& from, const std::string& to);

// The largest file Coffernote reads whole. The largest account file the program writes is some 40 MB; anything
// far beyond it is not a data file of ours, and reading it could exhaust memory.
inline constexpr std::uintmax_t kMaxDataFileBytes = 256u * 1024u * 1024u;

// Reads a whole file; fails when it cannot be read. Only a regular file (or a link
// to one) is opened: a pipe, a device or a folder under the name is refused unopened, since opening a pipe waits
// for a writer. A file larger than kMaxDataFileBytes is refused.
Outcome<std::string> ReadWholeFile(const std::string& path);

// Which file was read: its device and inode; and its size and time of last change then. Its owner and mode
// then too, as the descriptor the bytes came from told them (not part of the comparison).
struct FileIdentity
{
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::uint32_t owner = UINT32_MAX; // no user's until a file was read
    std::uint32_t mode = 0;
    bool operator==(const FileIdentity& o) const
    {
        return device == o.device && inode == o.inode && size == o.size && modifiedNs == o.modifiedNs;
    }
};
// The identity of the file at path now (a link counts as what it points to); false when there is none.
bool IdentityOf(const std::string& path, FileIdentity& identity);
// ReadWholeFile, telling which file it read.
Outcome<std::string> ReadWholeFile(const std::string& path, FileIdentity& identity);
// True when path (not followed if it is a link) is still the regular file identity names.
bool IsSameFile(const std::string& path, const FileIdentity& identity);
// The bound in force (kMaxDataFileBytes unless a test set another), and as words: "256 MB".
std::uintmax_t FileSizeBound();
std::string FileSizeBoundText();

// Flushes a folder's entries (renames, deletions) to disk. Fails, naming the folder and the reason, when the
// folder cannot be opened or flushed: the renames made are then in place, but a power cut could undo them.
[[nodiscard]] Result SyncFolder(const std::string& folder);

// The kinds of fault a test can inject.
enum class FileFault {
    WriteHalfway,
    Rename,
    FolderFlush, // asked with the folder's path
};

#ifdef COFFERNOTE_TEST_HOOKS
// Only in the test build of the core (the shipped program has neither): a seam for failures that cannot be
// provoked portably (a disk that fills up, a rename the file system refuses). When set, the hook is asked before
// each write, rename or folder flush; true makes that step fail: a write stops halfway with "No space left on
// device", a rename or a flush fails with "Input/output error". Empty hook: no faults.
using FileFaultHook = std::function<bool(FileFault fault, const std::string& path)>;
void SetFileFaultHookForTests(FileFaultHook hook);
// Test seam: a smaller bound than kMaxDataFileBytes, so the refusal can be tested without a huge file (0 restores).
void SetFileSizeBoundForTests(std::uintmax_t bound);
#endif
