#include "app/files/ImportedNames.h"

#include "app/files/ExportLayouts.h"
#include "app/files/Utf8Text.h"

std::string HostOf(std::string_view url)
{
    std::string_view s = url;
    if (const auto scheme = s.find("://"); scheme != std::string_view::npos)
        s.remove_prefix(scheme + 3);
    s = s.substr(0, s.find_first_of("/?#"));
    if (const auto at = s.rfind('@'); at != std::string_view::npos)
        s.remove_prefix(at + 1);
    if (const auto colon = s.rfind(':'); colon != std::string_view::npos && s.find(']') == std::string_view::npos)
        s = s.substr(0, colon);
    return LowerAscii(TrimmedBlanks(s));
}

std::string OneLine(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c == '\r' || c == '\n' || c == '\t')
            c = ' ';
    return TrimmedBlanks(out);
}

std::string ImportedName(std::string_view name, std::string_view website, int& unnamed, bool& cut)
{
    std::string said = OneLine(name);
    if (said.empty())
        said = OneLine(HostOf(website));
    if (said.empty())
        said.append("Imported ").append(std::to_string(++unnamed));
    cut = Utf16Length(said) > kImportedNameLength;
    return CutToUtf16(said, kImportedNameLength);
}

std::string NumberedName(const std::string& name, int k)
{
    std::string suffix = " (";
    suffix.append(std::to_string(k)).append(")");
    return CutToUtf16(name, kImportedNameLength - Utf16Length(suffix)).append(suffix);
}
