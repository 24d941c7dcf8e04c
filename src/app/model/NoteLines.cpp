#include "app/model/NoteLines.h"

bool HasLineBreaks(std::string_view note)
{
    return note.find_first_of("\r\n") != std::string_view::npos;
}

SecretString LinesForEditing(std::string_view note)
{
    SecretString lines;
    lines.reserve(note.size());
    for (std::size_t i = 0; i < note.size(); ++i) {
        if (note[i] == '\r') {
            lines.push_back('\n');
            if (i + 1 < note.size() && note[i + 1] == '\n')
                ++i;
        } else {
            lines.push_back(note[i]);
        }
    }
    return lines;
}

SecretString NoteFromLines(std::string_view lines, std::string_view note)
{
    if (LinesForEditing(note).view() == lines)
        return SecretString(note);
    const bool lfAlone = note.find('\n') != std::string_view::npos && note.find("\r\n") == std::string_view::npos;
    SecretString stored;
    stored.reserve(lines.size() + lines.size() / 8);
    for (const char c : lines) {
        if (c == '\n' && !lfAlone)
            stored.push_back('\r');
        stored.push_back(c);
    }
    return stored;
}
