#include "app/files/AccountRecord.h"

AccountRecord MakeHeaderRecord(const SecretString& userName, const SecretString& password1,
                               const SecretString& password2)
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
