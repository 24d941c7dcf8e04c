// The first lines of other programs' password exports: which program wrote the file, and what each column holds.
#include "app/files/ExportLayouts.h"

#include <algorithm>
#include <array>

namespace {

struct Column
{
    const char* header; // lower case
    ColumnRole role;
};

// A program's export: the columns its first line starts with. Columns after them are read by their names,
// as in a file of named columns; those named in dropped are left out.
struct KnownLayout
{
    const char* source;
    std::vector<Column> columns;
    std::vector<const char*> dropped;
};

const std::vector<KnownLayout>& knownLayouts()
{
    static const std::vector<KnownLayout> layouts = {
        {"Bitwarden export",
         {{"folder", ColumnRole::Kept},
          {"favorite", ColumnRole::Dropped},
          {"type", ColumnRole::Kind},
          {"name", ColumnRole::Name},
          {"notes", ColumnRole::Notes},
          {"fields", ColumnRole::Kept},
          {"reprompt", ColumnRole::Dropped},
          {"login_uri", ColumnRole::Website},
          {"login_username", ColumnRole::UserId},
          {"login_password", ColumnRole::Password},
          {"login_totp", ColumnRole::Kept}},
         {}},
        {"Firefox export",
         {{"url", ColumnRole::Website},
          {"username", ColumnRole::UserId},
          {"password", ColumnRole::Password},
          {"httprealm", ColumnRole::Kept},
          {"formactionorigin", ColumnRole::Dropped},
          {"guid", ColumnRole::Dropped},
          {"timecreated", ColumnRole::Dropped},
          {"timelastused", ColumnRole::Dropped},
          {"timepasswordchanged", ColumnRole::Dropped}},
         {}},
        {"KeePassXC export",
         {{"group", ColumnRole::Kept},
          {"title", ColumnRole::Name},
          {"username", ColumnRole::UserId},
          {"password", ColumnRole::Password},
          {"url", ColumnRole::Website},
          {"notes", ColumnRole::Notes}},
         {"icon", "last modified", "created"}},
        {"Chromium browser export",
         {{"name", ColumnRole::Name},
          {"url", ColumnRole::Website},
          {"username", ColumnRole::UserId},
          {"password", ColumnRole::Password}},
         {}},
    };
    return layouts;
}

// The names a file of named columns may use, with blanks for "_" and "-".
std::optional<ColumnRole> synonym(const std::string& name)
{
    static const std::array<std::pair<const char*, ColumnRole>, 15> names = {{
        {"name", ColumnRole::Name},
        {"title", ColumnRole::Name},
        {"account", ColumnRole::Name},
        {"url", ColumnRole::Website},
        {"website", ColumnRole::Website},
        {"login uri", ColumnRole::Website},
        {"username", ColumnRole::UserId},
        {"user", ColumnRole::UserId},
        {"login", ColumnRole::UserId},
        {"user id", ColumnRole::UserId},
        {"password", ColumnRole::Password},
        {"notes", ColumnRole::Notes},
        {"note", ColumnRole::Notes},
        {"extra", ColumnRole::Notes},
        {"comments", ColumnRole::Notes},
    }};
    for (const auto& [n, role] : names)
        if (name == n)
            return role;
    return std::nullopt;
}

std::string synonymKey(std::string s)
{
    for (char& c : s)
        if (c == '_' || c == '-')
            c = ' ';
    return s;
}

} // namespace

std::string TrimmedBlanks(std::string_view s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return std::string(s.substr(first, s.find_last_not_of(" \t") - first + 1));
}

std::string LowerAscii(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::optional<ExportLayout> RecogniseExportLayout(const std::vector<std::string>& firstLine)
{
    std::vector<std::string> names;
    for (const auto& h : firstLine)
        names.push_back(LowerAscii(TrimmedBlanks(h)));

    auto byName = [&](ExportLayout& layout, std::size_t from, const std::vector<const char*>& dropped) {
        for (std::size_t i = from; i < names.size(); ++i) {
            ColumnRole role = ColumnRole::Kept;
            if (std::find_if(dropped.begin(), dropped.end(), [&](const char* d) { return names[i] == d; }) !=
                dropped.end())
                role = ColumnRole::Dropped;
            else if (auto r = synonym(synonymKey(names[i]));
                     r && std::find(layout.roles.begin(), layout.roles.end(), *r) == layout.roles.end())
                role = *r;
            layout.roles.push_back(role);
        }
    };

    for (const KnownLayout& known : knownLayouts()) {
        if (names.size() < known.columns.size())
            continue;
        bool match = true;
        for (std::size_t i = 0; i < known.columns.size() && match; ++i)
            match = names[i] == known.columns[i].header;
        if (!match)
            continue;
        ExportLayout layout{known.source, true, {}};
        for (const Column& c : known.columns)
            layout.roles.push_back(c.role);
        byName(layout, known.columns.size(), known.dropped);
        return layout;
    }

    ExportLayout layout{"Comma-separated file", false, {}};
    byName(layout, 0, {});
    auto has = [&](ColumnRole r) {
        return std::find(layout.roles.begin(), layout.roles.end(), r) != layout.roles.end();
    };
    if (has(ColumnRole::Password) && (has(ColumnRole::Name) || has(ColumnRole::Website) || has(ColumnRole::UserId)))
        return layout;
    return std::nullopt;
}
