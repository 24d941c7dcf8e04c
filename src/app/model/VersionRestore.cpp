#include "app/model/VersionRestore.h"

#include "app/AppState.h"
#include "app/Login.h"
#include "base/AtomicFile.h"
#include "cipher/SecureWipe.h"

#include <algorithm>
#include <ctime>
#include <unordered_map>

namespace {

constexpr std::size_t kNamesShown = 10;

// Records of the inner text: six quoted fields each, and no field holds a quote.
std::size_t accountsIn(const Bytes& inner)
{
    const std::size_t quotes = static_cast<std::size_t>(std::count(inner.begin(), inner.end(), '"'));
    return quotes / 12 > 0 ? quotes / 12 - 1 : 0;
}

bool sameAccount(const AccountRecord& a, const AccountRecord& b)
{
    return a.Website == b.Website && a.Notes == b.Notes && a.UserId == b.UserId && a.Password == b.Password;
}

std::string accounts(std::size_t n)
{
    return n == 1 ? "1 account" : std::to_string(n) + " accounts";
}

std::string namesLine(const char* verb, const std::vector<std::string>& names)
{
    std::string line = std::string(verb) + " " + accounts(names.size()) + ": ";
    for (std::size_t i = 0; i < names.size() && i < kNamesShown; ++i)
        line += (i ? ", " : "") + names[i];
    if (names.size() > kNamesShown)
        line += " and " + std::to_string(names.size() - kNamesShown) + " more";
    return line;
}

} // namespace

std::string LocalTimeText(std::int64_t ms)
{
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    std::tm t{};
    ::localtime_r(&seconds, &t);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &t);
    return text;
}

VersionDifference CompareAccounts(const AccountTable& now, const AccountTable& version)
{
    // Each name's accounts in table order: the k-th of a name in one table is the k-th in the other.
    std::unordered_map<std::string_view, std::vector<std::size_t>> byName;
    for (std::size_t i = 1; i < now.size(); ++i)
        byName[now[i].AccountName].push_back(i);
    std::unordered_map<std::string_view, std::size_t> seen;
    VersionDifference d;
    for (std::size_t i = 1; i < version.size(); ++i) {
        const std::string& name = version[i].AccountName;
        const std::size_t k = seen[name]++;
        const auto found = byName.find(name);
        if (found == byName.end() || k >= found->second.size())
            d.added.push_back(name);
        else if (!sameAccount(now[found->second[k]], version[i]))
            d.changed.push_back(name);
    }
    for (const auto& [name, indices] : byName) {
        const auto s = seen.find(name);
        const std::size_t matched = s == seen.end() ? 0 : std::min(s->second, indices.size());
        for (std::size_t k = matched; k < indices.size(); ++k)
            d.removed.push_back(now[indices[k]].AccountName);
    }
    std::sort(d.removed.begin(), d.removed.end());
    return d;
}

VersionRestore::VersionRestore(AppState& state, const Login& login, const AccountTable& now, Derive derive)
    : state_(state), login_(login), now_(now), derive_(std::move(derive))
{
    for (KeptVersion& v : ListVersions(state.programFolder)) {
        Entry e;
        e.file = std::move(v);
        const Outcome<std::string> bytes = ReadWholeFile(e.file.path);
        Bytes inner;
        if (bytes.result.isOk())
            e.content = OpenVersionInner(bytes.value, login.protection.get(), inner);
        e.accounts = accountsIn(inner);
        wipe(inner);
        entries_.push_back(std::move(e));
    }
}

std::vector<std::string> VersionRestore::rows() const
{
    std::vector<std::string> rows;
    for (const Entry& e : entries_) {
        std::string row = LocalTimeText(e.file.writtenMs) + "   ";
        switch (e.content) {
        case VersionContent::Opened:
            row += accounts(e.accounts);
            break;
        case VersionContent::OtherLogin:
            row += "encrypted with a login";
            break;
        case VersionContent::Unreadable:
            row += "cannot be read";
            break;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string VersionRestore::when(int row) const
{
    return LocalTimeText(entries_.at(static_cast<std::size_t>(row)).file.writtenMs);
}

std::unique_ptr<FileProtection> VersionRestore::derive(const ProtectedHeader& header, const SecretString& userName,
                                                       const SecretString& password, const SecretString& digits)
{
    return derive_ ? derive_(header, userName, password, digits) : ProtectionFor(header, userName, password, digits);
}

const FileProtection* VersionRestore::keyFor(Entry& e, const std::string& bytes)
{
    if (!IsProtectedFile(bytes))
        return nullptr;
    const std::optional<ProtectedHeader> header = ReadProtectedHeader(bytes);
    if (header && login_.protection && login_.protection->header == *header)
        return login_.protection.get();
    if (header && !e.key && login_.hasLogin())
        e.key = derive(*header, login_.LoginUserName, login_.LoginPassword1, login_.LoginPassword2);
    return e.key.get();
}

VersionContent VersionRestore::open(int row, AccountTable& table, bool askLogin)
{
    Entry& e = entries_.at(static_cast<std::size_t>(row));
    const Outcome<std::string> bytes = ReadWholeFile(e.file.path);
    if (!bytes.result.isOk())
        return VersionContent::Unreadable;
    VersionContent c = OpenVersion(bytes.value, keyFor(e, bytes.value), table);
    const std::optional<ProtectedHeader> header =
        IsProtectedFile(bytes.value) ? ReadProtectedHeader(bytes.value) : std::nullopt;
    if (c != VersionContent::Opened && header && askLogin) {
        // Sealed under a login that is not the one in use: its own login opens it.
        SecretString userName, password, digits;
        const bool typed = state_.platform.askLogin("The version of " + when(row) +
                                                        " was saved under another login than the one in use.\r\n"
                                                        "Enter the login it was saved with:",
                                                    [&](std::string_view u, std::string_view p, std::string_view d) {
                                                        userName = u;
                                                        password = p;
                                                        digits = d;
                                                    });
        if (!typed)
            return VersionContent::OtherLogin;
        e.key = derive(*header, userName, password, digits);
        c = OpenVersion(bytes.value, e.key.get(), table);
        if (c != VersionContent::Opened)
            c = VersionContent::OtherLogin; // the login typed does not open it either
    }
    if (c == VersionContent::Opened && e.content != VersionContent::Opened) {
        e.content = c;
        e.accounts = table.size() - 1;
    }
    return c;
}

std::string VersionRestore::details(int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= entries_.size())
        return {};
    AccountTable version;
    switch (open(row, version)) {
    case VersionContent::OtherLogin:
        return "This version is encrypted with another login than the one in use: Restore asks for that login.";
    case VersionContent::Unreadable:
        return "This version cannot be read: it is damaged, or not an account file of Coffernote's.";
    case VersionContent::Opened:
        break;
    }
    const VersionDifference d = CompareAccounts(now_, version);
    WipeTable(version);
    if (d.added.empty() && d.removed.empty() && d.changed.empty())
        return "This version holds the same accounts as now.";
    std::string text = "Restoring this version would";
    if (!d.added.empty())
        text += "\r\n" + namesLine("bring back", d.added);
    if (!d.removed.empty())
        text += "\r\n" + namesLine("remove", d.removed);
    if (!d.changed.empty())
        text += "\r\n" + namesLine("change", d.changed);
    return text;
}
