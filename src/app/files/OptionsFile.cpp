#include "app/files/OptionsFile.h"

#include "app/files/Characters.h"
#include "app/files/Paths.h"
#include "base/AtomicFile.h"

#include <string_view>

OptionsRecord OptionsRecord::defaults()
{
    OptionsRecord r;
    r.set(Reserved1, "");
    r.set(Reserved2, "");
    r.set(IntegrityStamp, "");
    r.set(DragDropMode, "true");
    r.set(MaskNotes, "false");
    r.set(MaskUserId, "false");
    r.set(MaskPassword, "true");
    r.set(Reserved8, "");
    r.set(AlwaysOnTop, "true");
    r.set(ShowToolTips, "true");
    return r;
}

std::string FormatOptionsLine(const OptionsRecord& record)
{
    std::string line;
    for (int i = 0; i < OptionsRecord::FieldCount; ++i) {
        if (i > 0)
            line += ',';
        if (const auto& v = record.values[i]) {
            line += '"';
            line += *v;
            line += '"';
        }
    }
    line += "\r\n";
    return line;
}

namespace {

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// Consumes the delimiter after a value: a comma, or a line end (CR LF counts once).
void skipDelimiter(std::string_view text, std::size_t& pos)
{
    while (pos < text.size() && isBlank(text[pos]))
        ++pos;
    if (pos >= text.size())
        return;
    if (text[pos] == ',') {
        ++pos;
    } else if (isLineEnd(text[pos])) {
        if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n')
            ++pos;
        ++pos;
    }
}

} // namespace

// The program writes ten quoted values; anything else is read as leniently as the old line input did:
// quoted values to their closing quote, unquoted ones to the next comma or line end, blanks trimmed, nothing
// between two delimiters and values past the end as unassigned (empty).
OptionsRecord ParseOptionsLine(const std::string& text)
{
    OptionsRecord record;
    const std::string_view t(text);
    std::size_t pos = 0;
    for (int i = 0; i < OptionsRecord::FieldCount && pos < t.size(); ++i) {
        while (pos < t.size() && isBlank(t[pos]))
            ++pos;
        if (pos < t.size() && t[pos] == '"') {
            const std::size_t close = t.find('"', pos + 1);
            const std::size_t end = close == std::string_view::npos ? t.size() : close;
            record.values[i] = std::string(t.substr(pos + 1, end - pos - 1));
            pos = close == std::string_view::npos ? t.size() : close + 1;
            // Anything between the closing quote and the delimiter is dropped.
            while (pos < t.size() && t[pos] != ',' && !isLineEnd(t[pos]))
                ++pos;
        } else {
            std::size_t end = pos;
            while (end < t.size() && t[end] != ',' && !isLineEnd(t[end]))
                ++end;
            std::size_t last = end;
            while (last > pos && isBlank(t[last - 1]))
                --last;
            if (last > pos)
                record.values[i] = std::string(t.substr(pos, last - pos));
            pos = end;
        }
        skipDelimiter(t, pos);
    }
    return record;
}

Outcome<bool> ReadOptionsFile(const std::string& folder, OptionsRecord& record)
{
    const std::string path = JoinPath(folder, kOptionsFileName);
    if (!FileExists(path))
        return {Result::ok(), false};
    Outcome<std::string> text = ReadWholeFile(path);
    if (!text.result.isOk())
        return {std::move(text.result)};
    record = ParseOptionsLine(text.value);
    return {Result::ok(), true};
}

Result WriteOptionsFile(const std::string& folder, const OptionsRecord& record)
{
    return WriteFileAtomically(JoinPath(folder, kOptionsFileName), JoinPath(folder, kTempOptionsFileName),
                               FormatOptionsLine(record));
}
