#pragma once

#include "app/files/AccountRecord.h"
#include "cipher/SecretString.h"

#include <string>
#include <vector>

struct ForeignAccounts;

// What the preview of an import from another program shows before anything changes.
struct ImportPreviewRow
{
    std::string name;
    std::string website;
    SecretString userId;

    bool operator==(const ImportPreviewRow&) const = default;
};
struct ImportPreview
{
    std::string summary;   // what will be added and skipped, one fact a line ("\n" between lines)
    int existingNames = 0; // accounts whose names exist already: the user chooses what becomes of them
    std::vector<ImportPreviewRow> firstRows; // the first accounts (never a password)
};

// The preview: what will be added and skipped, how many names were cut, the names that exist, the first accounts.
ImportPreview MakeImportPreview(const ForeignAccounts& read, const AccountTable& table);
