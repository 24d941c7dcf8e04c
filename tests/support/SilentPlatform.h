#pragma once

#include "platform/Platform.h"

// The one stand-in desktop outside the tests (whose FakePlatform scripts every answer). A desktop without a user, for
// the fuzzers, the benchmarks and the tools: no dialog, clipboard, browser or window to reach. Each user says what a
// message and the end of the program mean for it.
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

// The same desktop with a user who agrees to everything: every question answered Yes, every message OK, every
// website and clipboard text taken, and an end of the program that ends nothing. For the main-window benchmark
// and the sample data of the screenshots.
class AgreeingPlatform : public SilentPlatform
{
public:
    Answer showMessageBox(const std::string&, int style, const std::string&) override
    {
        return isQuestion(style) ? Answer::Yes : Answer::Ok;
    }
    bool setClipboardText(std::string_view) override { return true; }
    bool openUrl(const std::string&) override { return true; }
    bool setWindowTopmost(int, QWidget*) override { return true; }
    void endProgram(int) override {}
};
