// Export and import of the account list.
#include "app/model/AccountBook.h"

#include "app/AppState.h"
#include "app/files/AccountExchange.h"
#include "platform/Platform.h"

namespace {

const char* const kExchangeFilter = "Text Files  (*.txt; *.csv)|*.txt; *.csv";
const char* const kExported = "Account information has been exported.";
const char* const kNotExported = "Account information has not been exported.\r\n";
const char* const kImportQuestion = "Importing a data file will overwrite  \r\nexisting data.  Proceed?  ";

} // namespace

void AccountBook::exportAccounts()
{
    const std::string path = state_.platform.saveFileName(kExchangeFilter);
    if (path.empty())
        return;

    // A file that could not be written whole is never reported as exported.
    bool inPlace = false;
    const Result written = WriteExportFile(path, table_, &inPlace);
    if (!written.isOk() && !inPlace) {
        state_.platform.message(kNotExported + written.message(), MsgExclamation);
        resetIdle();
        return;
    }
    // Written whole, though perhaps not yet for good: said so, as exported.
    if (inPlace)
        state_.platform.message(kExported + std::string("\r\n") + written.message(), MsgExclamation);
    else
        state_.platform.message(kExported, MsgInformation);
    enterDragDropMode();
    resetIdle();
}

Result AccountBook::importAccounts()
{
    if (state_.platform.message(kImportQuestion, MsgQuestion) == Answer::Yes) {
        // The list goes (and with it the combo text); the table stays until a file has been read whole.
        clearAccountList();
        const std::string path = state_.platform.openFileName(kExchangeFilter);
        if (path.empty())
            return Result::ok();

        // The whole file is read and checked before anything is replaced, and so is the size of the account
        // file its accounts make: a file the next start could not read back is never written. The account file
        // is only rewritten by the save below, which keeps the old file until the new one is complete. A file
        // that does not exist leaves the table as it is; it is saved back all the same.
        ImportResult read = ReadImportFile(path);
        std::string refusal = !read.result.isOk() && !read.value.missing ? read.result.message() : std::string();
        AccountTable imported;
        if (read.result.isOk()) {
            imported = BuildImportedTable(login_, std::move(read.value.accounts));
            refusal = ImportedTableTooLarge(login_, imported);
        }
        const bool refused = !refusal.empty();
        if (refused) {
            state_.platform.message("The file " + path + " could not be imported.\r\n" + refusal +
                                        "\r\nYour accounts have not been changed.",
                                    MsgExclamation);
        } else if (read.result.isOk()) {
            table_ = std::move(imported);
        }
        fillAccountList();

        if (!refused) {
            // An import brings the window to the top band, as the Always on Top command does.
            onTop_ = false;
            toggleOnTop();
            buttons_.go = true;
            if (Result saved = SaveToFile(); saved.mustEnd())
                return saved;
        }
    }
    enterDragDropMode();
    newAccount();
    resetIdle();
    return Result::ok();
}
