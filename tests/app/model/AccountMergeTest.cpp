#include "app/model/AccountMerge.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

// Accounts as (name, password), in table order.
using Accounts = std::vector<std::pair<std::string, std::string>>;

Accounts Parsed(std::string_view text)
{
    Accounts accounts;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find(", "), text.size()), eq = text.find('=');
        accounts.emplace_back(text.substr(0, eq), text.substr(eq + 1, end - eq - 1));
        text.remove_prefix(std::min(end + 2, text.size()));
    }
    return accounts;
}

// A table whose header names its side in the notes, where a login's user name stands.
AccountTable TableOf(const Accounts& accounts, const char* side)
{
    AccountTable t(1);
    t[0].AccountName = kHeaderMarker;
    t[0].Notes = side;
    for (const auto& [name, password] : accounts) {
        t.emplace_back();
        t.back().RecordNo = static_cast<std::int16_t>(t.size() - 1);
        t.back().AccountName = name;
        t.back().Password = password;
    }
    return t;
}

AccountTable TableOf(const char* text, const char* side)
{
    return TableOf(Parsed(text), side);
}

struct Counts
{
    std::size_t added = 0, changed = 0, deleted = 0, conflicts = 0, kept = 0;
    bool operator==(const Counts&) const = default;
};

} // namespace

TEST(AccountMerge, Rules)
{
    // Accounts written "name=password, ...", in table order; no base: nullptr.
    const struct
    {
        const char* what;
        const char *base, *ours, *theirs, *merged;
        Counts counts;
    } rows[] = {
        // clang-format off
        {"a change on one side is taken",
         "A=1, B=1", "A=1, B=2", "A=2, B=1", "A=2, B=2", {.changed = 1}},
        {"theirs' new accounts follow their predecessor, or go last",
         "A=1, B=1", "A=1, B=1, C=1", "X=1, A=1, Y=1, B=1, Z=1", "A=1, Y=1, B=1, Z=1, C=1, X=1", {.added = 3}},
        {"a deletion wins over an unchanged account, either side",
         "A=1, B=1, C=1", "A=1, B=1", "B=1, C=1", "B=1", {.deleted = 1}},
        {"a changed account survives a deletion, either side",
         "A=1, B=1", "A=2", "B=2", "A=2, B=2", {.kept = 2}},
        {"the same change or addition on both sides is no conflict",
         "A=1", "A=2, N=5", "A=2, N=5", "A=2, N=5", {}},
        {"both changed: both kept",
         "A=1, B=1", "A=2, B=1", "A=3, B=1", "A=2, A (from another computer)=3, B=1", {.conflicts = 1}},
        {"the copy's name is never one already taken",
         "A=1, A (from another computer)=9", "A=2, A (from another computer)=9", "A=3, A (from another computer)=9",
         "A=2, A (from another computer 2)=3, A (from another computer)=9", {.conflicts = 1}},
        {"the copy's name fits the list's 50 characters, cut before a blank",
         "xxxxxxxxxxxxxxxxxxxxxxxxx  yyyyyyyyyyyyy=1",
         "xxxxxxxxxxxxxxxxxxxxxxxxx  yyyyyyyyyyyyy=2",
         "xxxxxxxxxxxxxxxxxxxxxxxxx  yyyyyyyyyyyyy=3",
         "xxxxxxxxxxxxxxxxxxxxxxxxx  yyyyyyyyyyyyy=2, "
         "xxxxxxxxxxxxxxxxxxxxxxxxx (from another computer)=3", {.conflicts = 1}},
        {"same names: the first deleted here",
         "A=1, A=2", "A=2", "A=1, A=2", "A=2", {}},
        {"same names: the second changed, a third added",
         "A=1, A=2", "A=1, A=5", "A=1, A=2, A=7", "A=1, A=5, A=7", {.added = 1}},
        {"same names: the second changed on both",
         "A=1, A=2", "A=1, A=3", "A=1, A=4", "A=1, A=3, A (from another computer)=4", {.conflicts = 1}},
        {"no common version: nothing deleted, differences kept twice",
         nullptr, "A=1, B=1, C=1", "A=1, B=2, D=1", "A=1, B=1, B (from another computer)=2, D=1, C=1",
         {.added = 1, .conflicts = 1}},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::optional<AccountTable> base = row.base ? std::optional(TableOf(row.base, "base")) : std::nullopt;
        const auto result =
            MergeAccounts(base ? &*base : nullptr, TableOf(row.ours, "ours"), TableOf(row.theirs, "theirs"));
        ASSERT_TRUE(result.result.isOk());
        const AccountTable& table = result.value.table;
        ASSERT_FALSE(table.empty());
        EXPECT_EQ(table[0].Notes, "ours");
        Accounts merged;
        for (std::size_t i = 1; i < table.size(); ++i) {
            EXPECT_EQ(table[i].RecordNo, static_cast<int>(i));
            merged.emplace_back(table[i].AccountName, table[i].Password.str());
        }
        EXPECT_EQ(merged, Parsed(row.merged));
        const MergeReport& r = result.value.report;
        EXPECT_EQ((Counts{r.added.size(), r.changed.size(), r.deleted.size(), r.conflicts.size(),
                          r.keptDespiteDeletion.size()}),
                  row.counts);
    }
}

TEST(AccountMerge, EachFieldCountsAsAChange)
{
    const AccountTable base = TableOf("A=1", "base");
    void (*const changes[])(AccountRecord&) = {
        [](AccountRecord& r) { r.Website = "w"; }, [](AccountRecord& r) { r.Notes = "n"; },
        [](AccountRecord& r) { r.UserId = "u"; }, [](AccountRecord& r) { r.Password = "p"; }};
    for (const auto change : changes) {
        AccountTable theirs = base;
        change(theirs[1]);
        const auto result = MergeAccounts(&base, base, theirs);
        ASSERT_EQ(result.value.table.size(), 2u);
        EXPECT_EQ(result.value.table[1], theirs[1]);
        EXPECT_EQ(result.value.report.changed, std::vector<std::string>{"A"});
    }
}

TEST(AccountMerge, MessageNamesEachFactAndAtMostTenAccountsALine)
{
    const AccountTable base = TableOf("Bank=1, Mail=1, Shop=1, Club=1", "base");
    const AccountTable ours = TableOf("Bank=2, Mail=1, Shop=1, Club=2", "ours");
    Accounts other{{"Bank", "3"}, {"Mail", "2"}};
    for (int i = 1; i <= 12; ++i)
        other.emplace_back("N" + std::to_string(i), "1");
    const auto result = MergeAccounts(&base, ours, TableOf(other, "theirs"));
    ASSERT_TRUE(result.result.isOk());
    EXPECT_EQ(MergeMessage(result.value.report),
              "Accounts changed on another computer were merged in:\r\n"
              "New from the other computer: N1, N2, N3, N4, N5, N6, N7, N8, N9, N10 and 2 more\r\n"
              "Changed on the other computer: Mail\r\n"
              "Deleted on the other computer: Shop\r\n"
              "Changed on both computers, the other computer's version kept as: Bank (from another computer)\r\n"
              "Deleted on one computer but changed on the other, so kept: Club");
    EXPECT_EQ(MergeMessage(MergeAccounts(&base, base, base).value.report), "");
}

TEST(AccountMerge, RefusesMoreAccountsThanATableHolds)
{
    Accounts full;
    for (std::size_t i = 1; i < kMaxRecords; ++i)
        full.emplace_back("A" + std::to_string(i), "1");
    const auto result = MergeAccounts(nullptr, TableOf(full, "ours"), TableOf("One more=1", "theirs"));
    EXPECT_EQ(result.result.message(), "The accounts changed on another computer could not be merged: together "
                                       "there would be 32,766 accounts, and Coffernote keeps at most 32,765.");
    EXPECT_TRUE(result.value.table.empty());
}
