#pragma once

#include "cipher/SecretString.h"

#include <cstdint>
#include <string>
#include <vector>

// The name of the header record, the first record of every account table. It carries the login settings.
inline constexpr const char* kHeaderMarker = "t1ckb0xr00tm4rkrz";

// The secrets wipe themselves wherever a record goes (a delete, a change, a vector growth). The account name and
// the website are not secrets: plain strings keep sorting and lookup fast.
struct AccountRecord
{
    std::int16_t RecordNo = 0;
    std::string AccountName;
    std::string Website;
    SecretString Notes;
    SecretString UserId;
    SecretString Password;

    bool operator==(const AccountRecord&) const = default;
};

// Index 0 holds the header record; the account at index n has RecordNo n. RecordCount is size().
using AccountTable = std::vector<AccountRecord>;

// The loops over a table count with 16-bit numbers: at most this many records, the header included.
inline constexpr std::size_t kMaxRecords = 32766;

// The header record as it is always written: from the login settings, never from the table.
AccountRecord MakeHeaderRecord(const SecretString& userName, const SecretString& password1,
                               const SecretString& password2);

// Overwrites every text of the record.
void WipeRecord(AccountRecord& record);

// Overwrites every text of the table (names and websites too) before its memory goes, then empties it.
void WipeTable(AccountTable& table);
