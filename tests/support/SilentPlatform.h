#pragma once

#include "platform/Platform.h"

// A desktop without a user, for the fuzzers, the benchmarks and the fault tools: no dialog, clipboard, browser or
// window to reach. Each user says what a message and the end of the program mean for it.
class SilentPlatform : public Platform
{
public:
    std::string chooseSaveFile(const std::string&) override { return {}; }
    std::string chooseOpenFile(const std::string&) override { return {}; }
    void clearClipboard() override {}
    bool setClipboardText(std::string_view) override { return false; }
    bool openUrl(const std::string&) override { return false; }
    bool previousInstanceRunning() override { return false; }
    bool setWindowTopmost(int, QWidget*) override { return false; }
};
