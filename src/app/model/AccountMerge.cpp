#include "app/model/AccountMerge.h"

#include "app/files/ListedNames.h"
#include "app/files/Utf8Text.h"
#include "app/model/AccountBook.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <unordered_set>

namespace {

// An account as both sides know it: its name, and which account of that name it is in table order. Its hash is
// worked out once: the tables' lookups hash nothing again.
struct Identity
{
    std::string_view name;
    int occurrence = 0;
    std::size_t hash = 0;

    Identity() = default;
    Identity(std::string_view name, int occurrence, std::size_t nameHash)
        : name(name), occurrence(occurrence),
          hash(nameHash ^ (static_cast<std::size_t>(occurrence) * 0x9E3779B97F4A7C15ULL))
    {
    }
    bool operator==(const Identity& other) const
    {
        return hash == other.hash && occurrence == other.occurrence && name == other.name;
    }
};

// The accounts of one table by identity, from index 1 (index 0 is the header). The views point into the table.
// An open-addressed table of indexes, twice as large as the accounts: no allocation per account, one look at
// memory per probe, where a node-based map spent most of the merge allocating and chasing nodes.
class Accounts
{
public:
    explicit Accounts(const AccountTable* table)
    {
        if (table == nullptr || table->size() < 2)
            return;
        table_ = table;
        ids_.resize(table->size());
        std::size_t slots = 2;
        while (slots < 2 * table->size())
            slots *= 2;
        slots_.assign(slots, 0);
        mask_ = slots - 1;
        // The first account of each name counts the others: its later ones follow from its count.
        std::vector<int> more(table->size(), 0);
        for (std::size_t i = 1; i < table->size(); ++i) {
            const std::string_view name = (*table)[i].AccountName;
            const std::size_t nameHash = std::hash<std::string_view>{}(name);
            const std::size_t first = indexOf(Identity(name, 0, nameHash));
            ids_[i] = Identity(name, first == 0 ? 0 : ++more[first], nameHash);
            std::size_t s = ids_[i].hash & mask_;
            while (slots_[s] != 0)
                s = (s + 1) & mask_;
            slots_[s] = static_cast<std::uint32_t>(i);
        }
    }

    const Identity& id(std::size_t i) const { return ids_[i]; }
    // Its index, or 0 when the table holds no such account.
    std::size_t indexOf(const Identity& id) const
    {
        if (slots_.empty())
            return 0;
        for (std::size_t s = id.hash & mask_;; s = (s + 1) & mask_) {
            const std::uint32_t i = slots_[s];
            if (i == 0 || ids_[i] == id)
                return i;
        }
    }
    const AccountRecord* find(const Identity& id) const
    {
        const std::size_t i = indexOf(id);
        return i == 0 ? nullptr : &(*table_)[i];
    }

private:
    const AccountTable* table_ = nullptr;
    std::vector<Identity> ids_;
    std::vector<std::uint32_t> slots_; // 0: empty
    std::size_t mask_ = 0;
};

// The name identifies, so the contents are the rest; RecordNo is only the place. Secrets compare in place.
bool SameContent(const AccountRecord& a, const AccountRecord& b)
{
    return a.Website == b.Website && a.Notes == b.Notes && a.UserId == b.UserId && a.Password == b.Password;
}

// A copy's name is none that either side holds, nor one given to an earlier copy. A table holds a name when it
// holds its first account of that name.
class CopyNames
{
public:
    CopyNames(const Accounts& ours, const Accounts& theirs) : ours_(ours), theirs_(theirs) {}

    // "<name> (from another computer)", else "... 2)", "... 3)": the first free one, the name cut (never half
    // a character, no blank left before the suffix) so the whole fits the list.
    std::string copyName(std::string_view name)
    {
        for (int n = 1;; ++n) {
            const std::string suffix = " (from another computer" + (n > 1 ? " " + std::to_string(n) : "") + ")";
            std::string copy = CutToUtf16(name, AccountBook::kMaxNameLength - Utf16Length(suffix));
            if (copy.size() < name.size())
                while (!copy.empty() && copy.back() == ' ')
                    copy.pop_back();
            copy += suffix;
            if (!held(copy) && given_.insert(copy).second)
                return copy;
        }
    }

private:
    bool held(std::string_view name) const
    {
        const Identity first(name, 0, std::hash<std::string_view>{}(name));
        return ours_.indexOf(first) != 0 || theirs_.indexOf(first) != 0;
    }

    const Accounts& ours_;
    const Accounts& theirs_;
    std::unordered_set<std::string> given_;
};

// An account of theirs the result takes after one of ours: its record and, for a conflict copy, its new name.
struct Following
{
    const AccountRecord* record;
    std::string name;
};

} // namespace

Outcome<MergedAccounts> MergeAccounts(const AccountTable* base, const AccountTable& ours, const AccountTable& theirs)
{
    const Accounts b(base), o(&ours), t(&theirs);
    Outcome<MergedAccounts> out;
    MergeReport& report = out.value.report;
    CopyNames copies(o, t);

    // What stands at each of ours' places (ours' value, theirs', or nothing: deleted), and the accounts of theirs
    // that follow it; after[0] holds those with no account before them, for the end.
    std::vector<const AccountRecord*> at(ours.size(), nullptr);
    std::vector<std::vector<Following>> after(std::max<std::size_t>(ours.size(), 1));
    for (std::size_t i = 1; i < ours.size(); ++i) {
        const Identity& id = o.id(i);
        const AccountRecord& mine = ours[i];
        const AccountRecord* was = b.find(id);
        const AccountRecord* other = t.find(id);
        if (other == nullptr) { // deleted there, or added here
            if (was != nullptr && SameContent(mine, *was)) {
                report.deleted.emplace_back(id.name);
                continue;
            }
            if (was != nullptr)
                report.keptDespiteDeletion.emplace_back(id.name);
            at[i] = &mine;
        } else if (SameContent(mine, *other) || (was != nullptr && SameContent(*other, *was))) {
            at[i] = &mine;
        } else if (was != nullptr && SameContent(mine, *was)) {
            at[i] = other;
            report.changed.emplace_back(id.name);
        } else { // changed on both, or added on both, differently
            at[i] = &mine;
            std::string copy = copies.copyName(id.name);
            report.conflicts.push_back({std::string(id.name), copy});
            after[i].push_back({other, std::move(copy)});
        }
    }

    // Theirs in its order: an account ours also holds has its place already and anchors those after it.
    std::size_t anchor = 0;
    for (std::size_t j = 1; j < theirs.size(); ++j) {
        const Identity& id = t.id(j);
        if (const std::size_t mine = o.indexOf(id); mine != 0) {
            anchor = mine;
            continue;
        }
        const AccountRecord* was = b.find(id);
        if (was != nullptr && SameContent(theirs[j], *was))
            continue; // deleted here
        (was != nullptr ? report.keptDespiteDeletion : report.added).emplace_back(id.name);
        after[anchor].push_back({&theirs[j], {}});
    }

    std::size_t count = 1;
    for (std::size_t i = 1; i < ours.size(); ++i)
        count += (at[i] != nullptr ? 1 : 0) + after[i].size();
    count += after[0].size();
    if (count > kMaxRecords) {
        std::string text = "The accounts changed on another computer could not be merged: together there would be ";
        text += GroupedDigits(count - 1) + " accounts, and Coffernote keeps at most " + GroupedDigits(kMaxRecords - 1) +
                ".";
        out.result = Result::failed(text);
        out.value = {};
        return out;
    }

    AccountTable& table = out.value.table;
    table.reserve(count);
    table.push_back(ours.empty() ? MakeHeaderRecord({}, {}, {}) : ours[0]);
    const auto put = [&table](const AccountRecord& record, std::string name) {
        table.push_back(record);
        if (!name.empty())
            table.back().AccountName = std::move(name);
        table.back().RecordNo = static_cast<std::int16_t>(table.size() - 1);
    };
    for (std::size_t i = 1; i < ours.size(); ++i) {
        if (at[i] != nullptr)
            put(*at[i], {});
        for (Following& f : after[i])
            put(*f.record, std::move(f.name));
    }
    for (Following& f : after[0])
        put(*f.record, std::move(f.name));
    if (table.size() == 1 && ours.empty())
        table.clear(); // nothing on either side: still no table
    return out;
}

std::string MergeMessage(const MergeReport& report)
{
    if (report.empty())
        return {};
    std::vector<std::string> copies;
    for (const MergeReport::Conflict& c : report.conflicts)
        copies.push_back(c.copyName);
    const struct
    {
        const char* fact;
        const std::vector<std::string>& names;
    } lines[] = {
        {"New from the other computer: ", report.added},
        {"Changed on the other computer: ", report.changed},
        {"Deleted on the other computer: ", report.deleted},
        {"Changed on both computers, the other computer's version kept as: ", copies},
        {"Deleted on one computer but changed on the other, so kept: ", report.keptDespiteDeletion},
    };
    std::string text = "Accounts changed on another computer were merged in:";
    for (const auto& line : lines)
        if (!line.names.empty())
            text += "\r\n" + std::string(line.fact) + ListedNames(line.names);
    return text;
}
