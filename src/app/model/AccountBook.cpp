// The account book: opening, saving, the options file, and the texts of the combo box and the boxes.
#include "app/model/AccountBook.h"

#include "app/AppState.h"
#include "app/Login.h"
#include "app/files/AccountFile.h"
#include "app/files/Paths.h"
#include "app/files/Utf8Text.h"
#include "base/AtomicFile.h"
#include "cipher/SecureWipe.h"
#include "platform/Platform.h"

#include <algorithm>

namespace {

const char* const kSaved = "Settings have been saved successfully.";
const char* const kNotSaved = "Your accounts could not be saved.\r\n";

} // namespace

AccountBook::AccountBook(AppState& state, Login& login, AccountTable& table, const TextRules& rules)
    : state_(state), login_(login), table_(table), rules_(rules), names_(rules)
{
}

AccountBook::~AccountBook() = default;

void AccountBook::open()
{
    // 1-2. The table is the session's, loaded once for this run (the header alone when no account is stored).
    if (table_.empty())
        table_.push_back(MakeHeaderRecord(login_.LoginUserName, login_.LoginPassword1, login_.LoginPassword2));

    // 3. The account list and empty fields; nothing of an earlier window is pending.
    fillAccountList();
    displayed_ = -1;
    autoCompleteSuppressed_ = skipWebsiteOnGo_ = false;
    wipe(generatedPassword_);
    comboText_.clear();
    for (Box box : {Website, Notes, UserId, Password})
        setBox(box, {}, false);

    // 4. Buttons.
    setButtons(true, false, false, false, false);

    // 5-8. Options.
    readOptions();
    onTop_ = options_.isOn(OptionsRecord::AlwaysOnTop);
    topmostRequest_ = onTop_ ? 1 : 0;
    masks_[Notes] = options_.isOn(OptionsRecord::MaskNotes);
    masks_[UserId] = options_.isOn(OptionsRecord::MaskUserId);
    masks_[Password] = options_.isOn(OptionsRecord::MaskPassword);
    toolTips_ = options_.isOn(OptionsRecord::ShowToolTips);

    // 9-10. The placeholder runs the change rule like any text set by code; undo the buttons it leaves.
    setComboText(kPlaceholder);
    buttons_.add = false;
    buttons_.cancel = false;

    // 11-12. The window always starts in Drag/Drop mode.
    enterDragDropMode();
    buttons_.del = false;

    state_.resetIdle();
}

Result AccountBook::SaveToFile()
{
    bool inPlace = false;
    const Result saved = storeTable(inPlace);
    if (saved.mustEnd())
        return saved;
    // A failed save changes nothing on disk; the change stays in memory so the user can try again.
    if (saved.isFailed())
        state_.platform.message(kNotSaved + saved.message(), MsgExclamation);
    else if (saved.isOk())
        state_.platform.message(kSaved, MsgInformation);
    state_.resetIdle();
    return saved.isOk() ? Result::ok() : Result::reported();
}

void AccountBook::readOptions()
{
    // Kept byte for byte: a write is skipped only when the file already holds exactly the line it would get.
    lastOptionsLine_.clear();
    Outcome<std::string> read = ReadWholeFile(JoinPath(state_.programFolder, kOptionsFileName));
    if (!read.result.isOk())
        return; // none yet, or unreadable: the defaults hold
    options_ = ParseOptionsLine(read.value);
    lastOptionsLine_ = std::move(read.value);
}

void AccountBook::writeOptions()
{
    // The window's values are texts: one never read from a file goes out as an empty text in quotes.
    for (auto& value : options_.values)
        if (!value)
            value = std::string();
    const std::string line = FormatOptionsLine(options_);
    const bool present = FileExists(JoinPath(state_.programFolder, kOptionsFileName));
    if (present && line == lastOptionsLine_)
        return; // the file already holds exactly this
    // As a save: a copy without the data folder's lock (read-only, or another copy took the folder) writes nothing.
    if (!state_.platform.holdsDataFolderLock())
        return;
    // A failed write changes nothing in the window: the settings shown hold for this run.
    if (WriteOptionsFile(state_.programFolder, options_).isOk())
        lastOptionsLine_ = line;
}

int AccountBook::displayedIndex() const
{
    return displayed_ >= 0 && displayed_ < static_cast<int>(table_.size()) ? displayed_ : -1;
}

std::string AccountBook::recordLabel() const
{
    return displayed_ < 0 ? std::string() : std::to_string(displayed_);
}

void AccountBook::resetIdle()
{
    state_.resetIdle();
}

void AccountBook::typeName(const std::string& typed, int caret)
{
    comboText_ = typed;
    if (Utf16Length(comboText_) > kMaxNameLength) {
        comboText_ = CutToUtf16(comboText_, kMaxNameLength);
        caret = std::min(caret, kMaxNameLength);
        comboSelection_ = Selection{caret, 0};
    }
    if (comboText_.empty() || autoCompleteSuppressed_) {
        autoCompleteSuppressed_ = false;
        return;
    }

    const int row = names_.completionFor(comboText_);
    if (row >= 0) {
        comboText_ = names_.names()[static_cast<std::size_t>(row)];
        const int length = Utf16Length(comboText_);
        const int p = std::min(caret, length);
        // The completed tail is selected: the next character typed replaces it.
        comboSelection_ = Selection{p, length - p};
    }
    setButtons(true, true, displayed_ >= 0, true, false);
    resetIdle();
}

void AccountBook::setComboText(const std::string& text)
{
    // Text put in by the program reads from its beginning, with the caret in front of it.
    comboSelection_ = Selection{0, 0};
    typeName(text, 0);
}

void AccountBook::setBox(Box box, std::string_view text, bool asChange)
{
    if (boxes_[box] == text)
        return;
    boxes_[box] = text;
    ++boxRevisions_[box];
    if (asChange)
        boxChangeRule();
}

void AccountBook::boxEdited(Box box, const SecretString& text)
{
    // The box shows this text already: no new revision for the window to copy.
    if (boxes_[box] == text)
        return;
    boxes_[box] = text;
    boxChangeRule();
}

void AccountBook::boxChangeRule()
{
    buttons_.go = false;
    enterEditMode();
    resetIdle();
}

void AccountBook::fillAccountList()
{
    std::vector<std::string> list;
    list.reserve(table_.size());
    for (const AccountRecord& r : table_)
        if (r.AccountName != kHeaderMarker)
            list.push_back(r.AccountName);
    names_.assign(list);
    ++namesRevision_;
    insertedRow_ = -1;
}

void AccountBook::clearAccountList()
{
    names_.clear();
    ++namesRevision_;
    insertedRow_ = -1;
    comboText_.clear(); // the list goes, and with it the combo text
}

void AccountBook::rebuildAccountList()
{
    clearAccountList();
    fillAccountList();
}
