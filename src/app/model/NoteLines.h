#pragma once

#include "cipher/SecretString.h"

#include <string_view>

// Notes brought in from other programs may hold line breaks, which the one-line box shows run together. They
// are read and edited line by line in an editor that speaks "\n"; what comes back keeps the note's own endings.

bool HasLineBreaks(std::string_view note);
// The note as the editor shows it: every CR LF and lone CR as LF.
SecretString LinesForEditing(std::string_view note);
// The edited lines as the note stores them: lines left as they were give back the note byte for byte; edited ones
// end in LF where the note used LF alone, else in CR LF (the line ending of the program's own texts).
SecretString NoteFromLines(std::string_view lines, std::string_view note);
