// Counts the copies of an account's secrets in the memory of a running Coffernote, for scripts/memory-scan.sh:
//   memory_scan data FOLDER        the data files: the account the scan follows, and one other
//   memory_scan count PID TEXT...  each text's copies in the process's memory, as UTF-8 and as UTF-16, by region
// Reading another process's memory needs root (the program makes itself not dumpable).
#include "SilentPlatform.h"
#include "app/AppState.h"
#include "app/Login.h"
#include "app/files/AccountFile.h"
#include "app/files/OptionsFile.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

class ToolPlatform : public SilentPlatform
{
public:
    Answer showMessageBox(const std::string& text, int, const std::string&) override
    {
        std::fprintf(stderr, "%s\n", text.c_str());
        return Answer::No;
    }
    void endProgram(int) override {}
};

int writeData(const std::string& folder)
{
    ToolPlatform platform;
    AppState state(folder, platform);
    Login login;
    if (!WriteOptionsFile(folder, OptionsRecord::defaults()).isOk())
        return 1;
    // The texts the script looks for are these; the website stays empty so that a lookup opens nothing.
    const AccountTable table{MakeHeaderRecord({}, {}, {}),
                             {1, "Scanned", "", "NotesScan-4Kq8Zr2w", "UserScan-9Tb3Lm7p", "PassScan-Old-6Hd2Xw"},
                             {2, "Other", "", "other notes", "other user", "other password"}};
    const Result saved = SaveAccountFile(state, login, table);
    if (!saved.isOk())
        std::fprintf(stderr, "%s\n", saved.message().c_str());
    return saved.isOk() ? 0 : 1;
}

std::string utf16(const std::string& ascii)
{
    std::string out;
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

std::size_t occurrences(const std::string& haystack, const std::string& needle)
{
    std::size_t n = 0;
    for (std::size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1))
        ++n;
    return n;
}

int count(int pid, const std::vector<std::string>& texts)
{
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    const int mem = ::open(("/proc/" + std::to_string(pid) + "/mem").c_str(), O_RDONLY);
    if (!maps || mem < 0) {
        std::perror("cannot read the process's memory");
        return 1;
    }
    // text -> encoding -> region kind -> copies
    std::map<std::string, std::map<std::string, std::map<std::string, std::size_t>>> found;
    std::string line;
    while (std::getline(maps, line)) {
        std::istringstream in(line);
        std::string range, perms, offset, device, inode, path;
        in >> range >> perms >> offset >> device >> inode;
        std::getline(in >> std::ws, path);
        if (perms[0] != 'r' || path == "[vvar]" || path == "[vsyscall]")
            continue;
        const unsigned long from = std::stoul(range.substr(0, range.find('-')), nullptr, 16);
        const unsigned long to = std::stoul(range.substr(range.find('-') + 1), nullptr, 16);
        std::string bytes(to - from, '\0');
        const ssize_t got = ::pread(mem, bytes.data(), bytes.size(), static_cast<off_t>(from));
        if (got <= 0)
            continue;
        bytes.resize(static_cast<std::size_t>(got));
        const std::string kind = path.empty() ? "anonymous" : path[0] == '[' ? path : "file " + path;
        for (const std::string& text : texts) {
            if (const std::size_t n = occurrences(bytes, text))
                found[text]["utf8"][kind] += n;
            if (const std::size_t n = occurrences(bytes, utf16(text)))
                found[text]["utf16"][kind] += n;
        }
    }
    ::close(mem);
    for (const std::string& text : texts) {
        std::size_t utf8 = 0, utf16 = 0;
        std::string where;
        for (const auto& [encoding, kinds] : found[text])
            for (const auto& [kind, n] : kinds) {
                (encoding == "utf8" ? utf8 : utf16) += n;
                where += " " + encoding + ":" + kind + "=" + std::to_string(n);
            }
        std::printf("%s utf8=%zu utf16=%zu%s\n", text.c_str(), utf8, utf16, where.c_str());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "data") == 0)
        return writeData(argv[2]);
    if (argc >= 4 && std::strcmp(argv[1], "count") == 0)
        return count(std::atoi(argv[2]), std::vector<std::string>(argv + 3, argv + argc));
    std::fprintf(stderr, "usage: memory_scan data FOLDER | memory_scan count PID TEXT...\n");
    return 2;
}
