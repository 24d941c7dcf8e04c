// Accounts brought in from a browser's or another password keeper's export: added to the table after a preview,
// in one save.
#include "app/model/AccountBook.h"

#include "app/AppState.h"
#include "app/files/AccountExchange.h"
#include "app/files/AccountFile.h"
#include "app/files/ImportFromProgram.h"
#include "app/model/ImportPlan.h"
#include "app/model/ImportPreview.h"
#include "platform/Platform.h"

static_assert(kImportedNameLength == AccountBook::kMaxNameLength, "imported names fit the combo box");

namespace {

const char* const kForeignFilter = "CSV Files  (*.csv)|*.csv";

std::string notImported(const std::string& path, const std::string& why)
{
    return "The file " + path + " could not be imported.\r\n" + why + "\r\nYour accounts have not been changed.";
}

} // namespace

Result AccountBook::importFromProgram()
{
    resetIdle();
    const std::string path = state_.platform.openDownloadedFileName(kForeignFilter, "Import from Another Program");
    if (path.empty())
        return Result::ok();

    ForeignResult read = ReadForeignExportFile(path);
    if (!read.result.isOk()) {
        state_.platform.message(notImported(path, read.result.message()), MsgExclamation);
        resetIdle();
        return Result::ok();
    }
    const ImportChoice choice = state_.platform.previewImport(MakeImportPreview(read.value, table_));
    resetIdle();
    if (choice == ImportChoice::Cancel)
        return Result::ok();

    auto taken = TakeImportedAccounts(
        read.value, choice == ImportChoice::SkipExisting ? ExistingNames::Skip : ExistingNames::AddNumbered, table_);
    if (!taken.result.isOk()) {
        state_.platform.message(notImported(path, taken.result.message()), MsgExclamation);
        return Result::ok();
    }
    if (taken.value.empty()) {
        state_.platform.message("No account has been imported: every account of the file was skipped.", MsgInformation);
        return Result::ok();
    }

    const std::size_t before = table_.size();
    auto dropFrom = [this](std::size_t from) {
        for (std::size_t i = from; i < table_.size(); ++i)
            WipeRecord(table_[i]);
        table_.resize(from);
    };
    table_.reserve(before + taken.value.size());
    for (AccountRecord& a : taken.value) {
        a.RecordNo = static_cast<std::int16_t>(table_.size());
        table_.push_back(std::move(a));
    }
    // The account file they make must be one the next start reads back: checked before the save.
    if (const std::string tooLarge = ImportedTableTooLarge(login_, table_); !tooLarge.empty()) {
        dropFrom(before);
        state_.platform.message(notImported(path, tooLarge), MsgExclamation);
        resetIdle();
        return Result::ok();
    }
    bool inPlace = false;
    const Result saved = SaveAccountFile(state_, login_, table_, inPlace);
    if (saved.mustEnd())
        return saved;
    if (!saved.isOk() && inPlace) {
        // Only the folder flush failed: the account file holds the accounts, so the window shows them too.
        fillAccountList();
        if (saved.isFailed())
            state_.platform.message(saved.message(), MsgExclamation);
        resetIdle();
        return Result::reported();
    }
    if (!saved.isOk()) {
        // Nothing was written: the table goes back to what the account file holds.
        dropFrom(before);
        if (saved.isFailed()) // else the failure has been told
            state_.platform.message("Your accounts could not be saved.\r\n" + saved.message() +
                                        "\r\nNothing has been imported.",
                                    MsgExclamation);
        resetIdle();
        return Result::reported();
    }
    fillAccountList();
    const std::size_t added = table_.size() - before;
    state_.platform.message((added == 1 ? std::string("1 account has") : std::to_string(added) + " accounts have") +
                                " been imported and saved.\r\nThe file " + path +
                                " still holds your passwords in clear text: delete it once you no longer need it.",
                            MsgInformation);
    resetIdle();
    return Result::ok();
}
