#pragma once

#include <array>
#include <optional>
#include <string>

// The ten values of the options file "config.dat", in file order. A value never assigned is written as
// nothing between its commas and reads as empty text.
struct OptionsRecord
{
    enum Field : int
    {
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

// Reads "config.dat" of the folder into record; false (record unchanged) when it does not exist, or when it
// exists but cannot be read: then error (when given) names the file and the reason, else it is left empty.
bool ReadOptionsFile(const std::string& folder, OptionsRecord& record, std::string* error = nullptr);
// Replaces "config.dat" whole through a temporary file and a rename; false with a reason when it cannot.
bool WriteOptionsFile(const std::string& folder, const OptionsRecord& record, std::string* error = nullptr);
