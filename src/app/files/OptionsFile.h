#pragma once

#include "base/Result.h"

#include <array>
#include <optional>
#include <string>

// The ten values of the options file "config.dat", in file order. A value never assigned is written as
// nothing between its commas and reads as empty text.
struct OptionsRecord
{
    enum Field : int {
        Reserved1 = 0,
        Reserved2,
        IntegrityStamp,
        DragDropMode,
        MaskNotes,
        MaskUserId,
        MaskPassword,
        Reserved8,
        AlwaysOnTop,
        ShowToolTips,
        FieldCount
    };

    // User-provided on purpose: with the implicit one, GCC 12 at -O2 miscompiles "OptionsRecord r; r.set(a, ..);
    // r.set(b, ..);" (it tests b's engaged flag before the zeroing that initialises it, and crashes).
    OptionsRecord() {}

    std::array<std::optional<std::string>, FieldCount> values;

    std::string get(Field f) const { return values[f].value_or(std::string()); }
    void set(Field f, std::string v) { values[f] = std::move(v); }
    bool operator==(const OptionsRecord&) const = default;

    // Fields 4-7 and 10: anything but "false" means on. Field 9: only "true" means on.
    bool isOn(Field f) const { return f == AlwaysOnTop ? get(f) == "true" : get(f) != "false"; }

    static OptionsRecord defaults();
};

// Formats the record as its one line, CR LF included.
std::string FormatOptionsLine(const OptionsRecord& record);
// Reads a line leniently: missing values become empty, unquoted values are taken as they stand.
OptionsRecord ParseOptionsLine(const std::string& text);

// Reads "config.dat" of the folder into record; value says whether it was there (record unchanged when not). One
// that exists but cannot be read fails (record unchanged), the message naming the file and the reason.
Outcome<bool> ReadOptionsFile(const std::string& folder, OptionsRecord& record);
// Replaces "config.dat" whole through a temporary file and a rename; fails with the reason when it cannot.
Result WriteOptionsFile(const std::string& folder, const OptionsRecord& record);
