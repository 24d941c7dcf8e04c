#pragma once

#include "platform/Platform.h"

// A desktop without a user: every question gets the chosen answer, every other prompt OK or no file, and
// ending the program is only recorded, as the core expects of a seam that returns.
class FuzzPlatform : public Platform
{
public:
    explicit FuzzPlatform(Answer question = Answer::No) : question_(question) {}

    Answer messageBox(const std::string&, int style, const std::string&) override
    {
        ++messages;
        questions += style == MsgQuestion;
        return style == MsgQuestion ? question_ : Answer::Ok;
    }
    std::string saveFileName(const std::string&) override { return {}; }
    std::string openFileName(const std::string&) override { return {}; }
    void clearClipboard() override {}
    bool setClipboardText(std::string_view) override { return false; }
    bool openUrl(const std::string&) override { return false; }
    bool previousInstanceRunning() override { return false; }
    bool setWindowTopmost(int, QWidget*) override { return false; }
    void endProgram() override { ++ends; }

    int messages = 0;
    int questions = 0;
    int ends = 0;

private:
    Answer question_;
};
