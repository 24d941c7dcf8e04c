#pragma once

#include "SilentPlatform.h"

// A desktop without a user: every question gets the chosen answer, every other prompt OK or no file, and
// ending the program is only recorded, as the core expects of a seam that returns.
class FuzzPlatform : public SilentPlatform
{
public:
    explicit FuzzPlatform(Answer question = Answer::No) : question_(question) {}

    Answer showMessageBox(const std::string&, int style, const std::string&) override
    {
        ++messages;
        questions += isQuestion(style);
        return isQuestion(style) ? question_ : Answer::Ok;
    }
    void endProgram(int) override { ++ends; }
    void pause(int) override {} // nothing arrives in a fuzzer's folder: no time is spent waiting

    int messages = 0;
    int questions = 0;
    int ends = 0;

private:
    Answer question_;
};
