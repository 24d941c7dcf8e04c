// Notes with line breaks go to the editor with "\n" and come back with the note's own line endings.
#include "app/model/NoteLines.h"

#include <gtest/gtest.h>

namespace {

struct Row
{
    const char* note;
    const char* shown;  // what the editor shows
    const char* edited; // what the user leaves in it
    const char* stored; // what the note becomes
};

const Row kRows[] = {
    {"one\r\ntwo", "one\ntwo", "one\ntwo", "one\r\ntwo"},                 // left as it was
    {"a\r\nb\nc\rd", "a\nb\nc\nd", "a\nb\nc\nd", "a\r\nb\nc\rd"},         // mixed endings kept byte for byte
    {"one\r\ntwo", "one\ntwo", "one\ntwo\nthree", "one\r\ntwo\r\nthree"}, // CR LF note
    {"one\ntwo", "one\ntwo", "one\ntwo\nthree", "one\ntwo\nthree"},       // LF note stays LF
    {"branch 4", "branch 4", "branch 4\nfloor 2", "branch 4\r\nfloor 2"}, // a line added to a one-line note
    {"one\ntwo", "one\ntwo", "one two", "one two"},                       // lines joined
    {"", "", "", ""},
};

TEST(NoteLines, GoToTheEditorAndBackWithTheNotesOwnLineEndings)
{
    for (const Row& r : kRows) {
        EXPECT_EQ(LinesForEditing(r.note).str(), r.shown) << r.note;
        EXPECT_EQ(NoteFromLines(r.edited, r.note).str(), r.stored) << r.note;
    }
    EXPECT_TRUE(HasLineBreaks("a\rb"));
    EXPECT_TRUE(HasLineBreaks("a\nb"));
    EXPECT_FALSE(HasLineBreaks("a b"));
}

} // namespace
