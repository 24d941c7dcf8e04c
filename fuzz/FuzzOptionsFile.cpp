// The options file is plain text any program can change.
#include "FuzzTargets.h"

#include "app/files/OptionsFile.h"

int FuzzOptionsFile(const std::uint8_t* data, std::size_t size)
{
    const OptionsRecord record = ParseOptionsLine(std::string(reinterpret_cast<const char*>(data), size));
    bool quotes = false;
    for (int f = 0; f < OptionsRecord::FieldCount; ++f) {
        record.isOn(static_cast<OptionsRecord::Field>(f));
        quotes = quotes || record.get(static_cast<OptionsRecord::Field>(f)).find('"') != std::string::npos;
    }
    // What the program writes back reads as the same record (a double quote cannot be written inside a value).
    if (!quotes)
        FuzzCheck(ParseOptionsLine(FormatOptionsLine(record)) == record, "options line round-trips");
    return 0;
}
