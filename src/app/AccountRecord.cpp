#include "app/AccountRecord.h"

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

void WipeTable(AccountTable& table)
{
    // Notes, user IDs and passwords wipe themselves as the records go.
    for (AccountRecord& r : table) {
        wipe(r.AccountName);
        wipe(r.Website);
    }
    table.clear();
}
