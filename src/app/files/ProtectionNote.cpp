#include "app/files/ProtectionNote.h"

#include "app/AppState.h"
#include "base/AtomicFile.h"
#include "cipher/ProtectedFile.h"
#include "platform/Platform.h"

#include <cstdio>
#include <optional>
#include <sys/stat.h>

namespace {

// One line per folder: the salt in hex, a blank, the folder's path.
std::string hexOf(const Salt& salt)
{
    std::string hex;
    char digits[3];
    for (unsigned char b : salt) {
        std::snprintf(digits, sizeof digits, "%02x", b);
        hex += digits;
    }
    return hex;
}

struct Note
{
    std::string path;
    std::string lines; // as read
    std::optional<std::string> salt;
    std::string others; // the lines of the other folders
};

Note readNote(AppState& state)
{
    Note note;
    note.path = state.platform.protectionNotePath();
    if (note.path.empty())
        return note;
    Outcome<std::string> read = ReadWholeFile(note.path);
    if (!read.result.isOk())
        return note;
    note.lines = std::move(read.value);
    for (std::size_t at = 0; at < note.lines.size();) {
        std::size_t end = note.lines.find('\n', at);
        if (end == std::string::npos)
            end = note.lines.size();
        const std::string line = note.lines.substr(at, end - at);
        const std::size_t blank = line.find(' ');
        if (blank != std::string::npos && line.compare(blank + 1, std::string::npos, state.programFolder) == 0)
            note.salt = line.substr(0, blank);
        else if (!line.empty())
            note.others += line + "\n";
        at = end + 1;
    }
    return note;
}

void writeNote(const Note& note, const std::optional<std::string>& salt, const std::string& folder)
{
    std::string lines = note.others;
    if (salt)
        lines += *salt + " " + folder + "\n";
    if (lines == note.lines)
        return;
    const std::string dir = note.path.substr(0, note.path.rfind('/'));
    for (std::size_t slash = 1; (slash = dir.find('/', slash)) != std::string::npos; ++slash)
        ::mkdir(dir.substr(0, slash).c_str(), 0700);
    ::mkdir(dir.c_str(), 0700);
    (void)WriteFileAtomically(note.path, note.path + ".new", lines);
}

} // namespace

std::string NoLongerEncryptedQuestion(const std::string& accountFile)
{
    return "The account file is not encrypted with a login, but it was when Coffernote last used it on this "
           "computer:\r\n" +
           accountFile +
           "\r\nIf you turned the encryption off on another computer that shares this data folder, answer Yes. "
           "Otherwise someone who can write the data folder may have put this file there: answer No, and nothing "
           "is opened or changed.\r\nOpen it without a login?";
}

std::string EncryptedAnewQuestion(const std::string& accountFile)
{
    return "The account file is encrypted differently from when Coffernote last used it on this computer:\r\n" +
           accountFile +
           "\r\nIf you changed the login on another computer that shares this data folder, answer Yes and log in "
           "with it. Otherwise someone who can write the data folder may have put this file there: answer No, and "
           "nothing is opened or changed.\r\nOpen it?";
}

Result CheckRememberedProtection(AppState& state, const std::string& accountFile, const std::string& fileBytes)
{
    const Note note = readNote(state);
    if (!note.salt)
        return Result::ok();
    const bool encrypted = IsProtectedFile(fileBytes);
    if (encrypted) {
        // A header this version cannot read is reported as such later.
        const std::optional<ProtectedHeader> header = ReadProtectedHeader(fileBytes);
        if (!header || hexOf(header->salt) == *note.salt)
            return Result::ok();
    }
    const std::string question =
        encrypted ? EncryptedAnewQuestion(accountFile) : NoLongerEncryptedQuestion(accountFile);
    if (state.platform.message(question, MsgQuestionNoDefault) != Answer::Yes)
        return Result::endProgram();
    if (!encrypted)
        writeNote(note, std::nullopt, state.programFolder);
    return Result::ok();
}

void NoteProtection(AppState& state, const FileProtection* key)
{
    const Note note = readNote(state);
    if (note.path.empty() || state.programFolder.find('\n') != std::string::npos)
        return;
    const std::optional<std::string> salt = key ? std::optional<std::string>(hexOf(key->header.salt)) : std::nullopt;
    if (salt != note.salt)
        writeNote(note, salt, state.programFolder);
}
