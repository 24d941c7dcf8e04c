#pragma once

#include "app/files/AccountRecord.h"
#include "app/files/OptionsFile.h"
#include "app/model/AccountBookNames.h"
#include "base/Result.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct AppState;

// The main window without its widgets: the account table, the record on display, the texts of the combo box
// and of the four boxes, the button states, the display modes and masks, and every rule the window follows.
// The window shows this state and forwards its events here; questions and messages go through the seam.
// Operations that may end the program return a Result; the window ends it when one says so.
// Split by concern: AccountBook.cpp (load, save, options, texts), AccountBook_lookup.cpp, AccountBook_editing.cpp,
// AccountBook_modes.cpp, AccountBook_exchange.cpp.
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

    explicit AccountBook(AppState& state, const TextRules& rules = TextRules::plain());
    ~AccountBook();
    AccountBook(const AccountBook&) = delete;
    AccountBook& operator=(const AccountBook&) = delete;

    // The load sequence: the account file, empty fields, buttons, options, the placeholder, Drag/Drop mode.
    Result Form_Load();
    // Writes the whole table and shows the outcome. Failed when nothing was saved (its message has been shown).
    Result SaveToFile();

    // Lookup (AccountBook_lookup.cpp). caret: where the caret (or the start of the selection) stood in the
    // typed text, in UTF-16 units.
    void cboSelect_Change(const std::string& typed, int caret);
    void cboSelect_KeyDown(bool deleting);
    void cboSelect_DropDown();
    void cmdGo_KeyDown(bool shift);
    Result cmdGo_Click();
    Result cmdCopy1_Click(); // the website button
    void RunBrowser(const std::string& url);

    // Editing (AccountBook_editing.cpp).
    Result Add_Account_Click();
    Result cmdChange_Click();
    Result cmdDelete_Click();
    void cmdCancel_Click();
    void New_Click();
    // A box's text changed by the user (the box change rule runs when it differs from what the box held).
    void boxEdited(Box box, const std::string& text);
    void copyBox(Box box); // cmdCopy2..4
    void Clear_Clipboard_Click();
    Result passwordGen_Click();
    Result PasswordGenerator();

    // Modes and options (AccountBook_modes.cpp).
    void LoginSelect_Click();
    void box_DblClick() { enterEditMode(); }
    void toggleMask(Box box); // View menu: Mask Notes, Mask Username, Mask Password
    void mask_all_Click() { setAllMasks(true); }
    void mask_none_Click() { setAllMasks(false); }
    void OnTop_Click();
    void mnuTooltips_Click();
    void sec_off_Click() { securityOn_ = false; }
    void sec_on_Click();
    // One idle tick; true when the window must lock now.
    bool Timer1_Timer();
    // Clears the clipboard and wipes the secrets held for the run: the program ends.
    Result Form_Unload();

    // Export and import (AccountBook_exchange.cpp).
    void Export_Click();
    Result Import_Click();

    // State for the window.
    const AccountTable& accountTable() const { return AccountTable_; }
    AccountTable& accountTable() { return AccountTable_; }
    std::size_t RecordCount() const { return AccountTable_.size(); }
    int displayedIndex() const;      // the element on display, or -1
    std::string recordLabel() const; // what lblID shows: the record number on display, or nothing
    const std::string& comboText() const { return comboText_; }
    // The combo text as the window holds it now (the window may change it without an event, as code may).
    void setComboTextQuietly(const std::string& text) { comboText_ = text; }
    const SecretString& boxText(Box box) const { return boxes_[box]; }
    const Buttons& buttons() const { return buttons_; }
    bool dragDrop() const { return dragDrop_; }
    bool masked(Box box) const { return masks_[box]; }
    bool onTop() const { return onTop_; }
    bool toolTips() const { return toolTips_; }
    bool securityOn() const { return securityOn_; }
    const std::vector<std::string>& names() const { return names_.names(); }
    // Changes each time the list changes; insertedRow() is the row of the last change when it was one insert.
    int namesRevision() const { return namesRevision_; }
    int insertedRow() const { return insertedRow_; }
    const OptionsRecord& options() const { return options_; }
    AppState& state() { return state_; }
    const SecretString& generatedPassword() const { return GeneratedPassword; }

    // One-shot requests to the window, taken once each.
    std::optional<Selection> takeComboSelection() { return take(comboSelection_); }
    std::optional<int> takeTopmostRequest() { return take(topmostRequest_); }
    bool takeComboFocusRequest() { return std::exchange(comboFocusRequest_, false); }

private:
    template <typename T> static std::optional<T> take(std::optional<T>& v) { return std::exchange(v, std::nullopt); }

    // The core's file operations, each wrapped once.
    Result loadAccounts(bool& fresh);
    Result saveAccounts();

    void readOptions();
    void writeOptions();

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
    void enterEditMode() { setMode(true); }
    void storeMask(Box box, bool masked);
    void setAllMasks(bool masked);
    Result openWebsite();
    void resetIdle();

    AppState& state_;
    const TextRules& rules_;
    AccountTable AccountTable_;
    OptionsRecord options_;
    std::string lastOptionsLine_; // what the options file held when last read or written

    int displayed_ = -1;
    std::string comboText_;
    // What the boxes show: the notes, user ID and password are secrets, so all four wipe themselves.
    std::array<SecretString, BoxCount> boxes_;
    Buttons buttons_;
    bool dragDrop_ = false;
    std::array<bool, BoxCount> masks_{};
    bool onTop_ = true;
    bool toolTips_ = true;
    bool securityOn_ = true;
    bool AutoCompleteSuppressed = false;
    bool SkipWebsiteOnGo = false;
    SecretString GeneratedPassword;

    AccountNames names_;
    int namesRevision_ = 0;
    int insertedRow_ = -1;

    std::optional<Selection> comboSelection_;
    std::optional<int> topmostRequest_;
    bool comboFocusRequest_ = false;
};
