#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The name of the header record, the first record of every account table. It carries the login settings.
inline constexpr const char* kHeaderMarker = "t1ckb0xr00tm4rkrz";

struct AccountRecord
{
    std::int16_t RecordNo = 0;
    std::string AccountName;
    std::string Website;
    std::string Notes;
    std::string UserId;
    std::string Password;

    bool operator==(const AccountRecord&) const = default;
};

// Index 0 holds the header record; the account at index n has RecordNo n. RecordCount is size().
using AccountTable = std::vector<AccountRecord>;

// The loops over a table count with 16-bit numbers: at most this many records, the header included.
inline constexpr std::size_t kMaxRecords = 32766;

// The header record as it is always written: from the login settings, never from the table.
AccountRecord MakeHeaderRecord(const std::string& userName, const std::string& password1,
                               const std::string& password2);

// Overwrites every text of the record.
void WipeRecord(AccountRecord& record);

// Overwrites every text of the table before its memory goes, then empties it.
void WipeTable(AccountTable& table);
