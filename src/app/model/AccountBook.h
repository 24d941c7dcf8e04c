#pragma once

#include "app/files/AccountRecord.h"
#include "app/files/OptionsFile.h"
#include "app/model/AccountBookNames.h"
#include "base/Result.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

struct AppState;
struct Login;
struct FileProtection;
struct ProtectedHeader;

// The main window without its widgets: the record on display, the texts of the combo box and of the four boxes,
// the button states, the display modes and masks, and every rule the window follows, on the account table the
// session loaded. The window shows this state and forwards its events here; questions and messages go through
// the seam. Operations that may end the program return a Result; the window ends it when one says so.
// Operations are named for what they do (lookUp, addAccount, openWebsite); the window's handlers keep its
// event names (cmdGo_Click) and forward to them.
// Split by concern: AccountBook.cpp (opening, saving, options, texts), AccountBook_lookup.cpp,
// AccountBook_editing.cpp, AccountBook_modes.cpp, AccountBook_exchange.cpp, AccountBook_importFromProgram.cpp.
class AccountBook
{
public:
    // The four account boxes.
    enum Box : int { Website = 0, Notes, UserId, Password, BoxCount };

    struct Buttons
    {
        bool go = true;
        bool add = false;
        bool change = false;
        bool cancel = false;
        bool del = false;
        bool operator==(const Buttons&) const = default;
    };

    // The combo box's selection after a change of its text: from `start`, `length` characters (UTF-16 units,
    // as the combo box counts them). Length 0 puts the caret at start.
    struct Selection
    {
        int start = 0;
        int length = 0;
        bool operator==(const Selection&) const = default;
    };

    // The placeholder the account combo box shows at start.
    static constexpr const char* kPlaceholder = "< Select or type account here >";
    // The longest account name the combo box holds, in UTF-16 units.
    static constexpr int kMaxNameLength = 50;

    // table: the session's one account table, loaded before the window opens.
    // login: the run's login, whose settings every save writes as the header and whose key it seals under.
    AccountBook(AppState& state, Login& login, AccountTable& table, const TextRules& rules = TextRules::plain());
    ~AccountBook();
    AccountBook(const AccountBook&) = delete;
    AccountBook& operator=(const AccountBook&) = delete;

    // The window opens on the table: the account list, empty fields, buttons, options, the placeholder, Drag/Drop
    // mode. Nothing is read but the options file.
    void open();
    // Writes the whole table and tells the user the outcome: Reported when nothing was saved.
    Result SaveToFile();

    // Lookup (AccountBook_lookup.cpp). caret: where the caret (or the start of the selection) stood in the
    // typed text, in UTF-16 units.
    void typeName(const std::string& typed, int caret);
    void keyInName(bool deleting);
    void openNameList();
    void shiftOnGo(bool shift);
    Result lookUp();
    // The website button: opens the website shown, offering the "http://" prefix first to a text without a
    // scheme, and asking first when the host it opens is not what it seems (WebAddressPolicy.h).
    Result openWebsite();
    // Hands url to the desktop as it stands: the program's own help page, or a website the policy approved, in
    // the normalized form the desktop's parse gave.
    void RunBrowser(const std::string& url);

    // Editing (AccountBook_editing.cpp).
    Result addAccount();
    Result changeAccount();
    Result deleteAccount();
    void cancelEdit();
    void newAccount();
    // A box's text changed by the user (the box change rule runs when it differs from what the box held).
    void boxEdited(Box box, const SecretString& text);
    void copyBox(Box box); // the copy buttons beside the notes, user ID and password
    void clearClipboard();
    Result generatePassword();
    Result PasswordGenerator();

    // Modes and options (AccountBook_modes.cpp).
    // The "Drag/ Drop Mode" command: Drag/Drop mode becomes Edit mode and back.
    void toggleMode();
    // A double-click on a box.
    void enterEditMode() { setMode(true); }
    void toggleMask(Box box); // View menu: Mask Notes, Mask Username, Mask Password
    void maskAll() { setAllMasks(true); }
    void maskNone() { setAllMasks(false); }
    void toggleOnTop();
    void toggleToolTips();

    // Export and import (AccountBook_exchange.cpp).
    void exportAccounts();
    Result importAccounts();
    // Adds the accounts of another program's export after a preview (AccountBook_importFromProgram.cpp).
    Result importFromProgram();
    // File > Restore an Earlier Version (AccountBook_restore.cpp): lists the kept versions, and saves the one
    // chosen, after one question, under the login in use. derive: how a login's key is derived for a version
    // sealed under another salt (off the window's thread); stillOpen: false once the lock closed the command.
    using VersionKeyDerive = std::function<std::unique_ptr<FileProtection>(const ProtectedHeader&, const SecretString&,
                                                                           const SecretString&, const SecretString&)>;
    Result restoreVersion(VersionKeyDerive derive = {}, std::function<bool()> stillOpen = {});

    // Another computer's save arrived (AccountBook_outside.cpp): its accounts merged with the list, when no edit is
    // under way; true when the list changed. The window asks on a change in the data folder and at the idle tick.
    bool takeInOutsideChanges();
    // The copies a synchronisation program set aside when two computers changed the file at once: their accounts
    // merged in and saved, each copy then kept among the versions, the user told. At start and on a change.
    bool mergeConflictCopies();

    // Overwrites the boxes' secrets and a password offered but not yet taken: the program ends.
    void wipeSecrets();

    // State for the window.
    const AccountTable& table() const { return table_; }
    int displayedIndex() const;      // the element on display, or -1
    std::string recordLabel() const; // what lblID shows: the record number on display, or nothing
    const std::string& comboText() const { return comboText_; }
    // The combo text as the window holds it now (the window may change it without an event, as code may).
    void setComboTextQuietly(const std::string& text) { comboText_ = text; }
    const SecretString& boxText(Box box) const { return boxes_[box]; }
    // Changes each time the book itself gives a box another text (never for the user's own edits), so the window
    // copies a secret into its widget only when it changed.
    int boxRevision(Box box) const { return boxRevisions_[box]; }
    const Buttons& buttons() const { return buttons_; }
    bool dragDrop() const { return dragDrop_; }
    bool masked(Box box) const { return masks_[box]; }
    bool onTop() const { return onTop_; }
    bool toolTips() const { return toolTips_; }
    const std::vector<std::string>& names() const { return names_.names(); }
    // Changes each time the list changes; insertedRow() is the row of the last change when it was one insert.
    int namesRevision() const { return namesRevision_; }
    int insertedRow() const { return insertedRow_; }
    const OptionsRecord& options() const { return options_; }

    // One-shot requests to the window, taken once each.
    std::optional<Selection> takeComboSelection() { return take(comboSelection_); }
    std::optional<int> takeTopmostRequest() { return take(topmostRequest_); }
    bool takeComboFocusRequest() { return std::exchange(comboFocusRequest_, false); }

private:
    friend struct AccountBookInternals; // the tests' view of what the window never sees

    template <typename T> static std::optional<T> take(std::optional<T>& v) { return std::exchange(v, std::nullopt); }

    void readOptions();
    void writeOptions();

    // Takes in what another writer saved since this copy last read or wrote the file (told: what came in, for the
    // user); then the save. Reported when another writer's file could not be taken in (said): nothing saved.
    Result mergeOutsideChanges(std::string& told);
    Result storeTable(bool& inPlace);

    Result openAddress(const std::string& text);

    // Sets the combo text and runs the change rule, as a change made by code does (caret in front).
    void setComboText(const std::string& text);
    // Sets a box; asChange runs the box change rule when the text differs, as a change of the box does.
    void setBox(Box box, std::string_view text, bool asChange);
    void boxChangeRule();
    void showRecord(int index);
    void takeFields(AccountRecord& r) const;
    void fillAccountList();
    void rebuildAccountList();
    void clearAccountList();
    void setButtons(bool go, bool add, bool change, bool cancel, bool del)
    {
        buttons_ = {go, add, change, cancel, del};
    }

    void setMode(bool toEdit);
    void enterDragDropMode() { setMode(false); }
    void storeMask(Box box, bool masked);
    void setAllMasks(bool masked);
    void resetIdle();

    AppState& state_;
    Login& login_;
    AccountTable& table_;
    const TextRules& rules_;
    OptionsRecord options_;
    std::string lastOptionsLine_; // what the options file held when last read or written

    int displayed_ = -1;
    std::string comboText_;
    // What the boxes show: the notes, user ID and password are secrets, so all four wipe themselves.
    std::array<SecretString, BoxCount> boxes_;
    std::array<int, BoxCount> boxRevisions_{};
    Buttons buttons_;
    bool dragDrop_ = false;
    std::array<bool, BoxCount> masks_{};
    bool onTop_ = true;
    bool toolTips_ = true;
    bool autoCompleteSuppressed_ = false;
    std::set<std::string> toldConflicts_; // conflict copies that could not be merged, said once
    bool tableOnDisk_ = true;             // the table is what the account file holds: no save of it failed
    bool skipWebsiteOnGo_ = false;
    SecretString generatedPassword_;

    AccountNames names_;
    int namesRevision_ = 0;
    int insertedRow_ = -1;

    std::optional<Selection> comboSelection_;
    std::optional<int> topmostRequest_;
    bool comboFocusRequest_ = false;
};
