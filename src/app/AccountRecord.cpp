#include "app/AccountRecord.h"

#include "cipher/SecureWipe.h"

AccountRecord MakeHeaderRecord(const std::string& userName, const std::string& password1,
                               const std::string& password2)
{
    AccountRecord header;
    header.RecordNo = 0;
    header.AccountName = kHeaderMarker;
    header.Website = "na";
    header.Notes = userName;
    header.UserId = password1;
    header.Password = password2;
    return header;
}

void WipeRecord(AccountRecord& record)
{
    wipe(record.AccountName);
    wipe(record.Website);
    wipe(record.Notes);
    wipe(record.UserId);
    wipe(record.Password);
}

void WipeTable(AccountTable& table)
{
    for (AccountRecord& r : table)
        WipeRecord(r);
    table.clear();
}
