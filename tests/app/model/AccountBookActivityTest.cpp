// Which operations of the main window's model: lookup, editing, display modes, clipboard, website and generator count
// as user activity for the idle lock: each either sets IdleTickCount back to 0 or leaves it alone.
#include "AccountBookFixture.h"

#include <algorithm>
#include <functional>

namespace {

class AccountBookActivity : public AccountBookFixture
{
protected:
    void SetUp() override
    {
        storeAccounts({account("Alpha", "http://alpha.example", "n", "u", "p"), account("Beta", "beta.example")});
        open();
    }
    void comboChange(const std::string& text) { type(text); }
};

} // namespace

TEST_F(AccountBookActivity, EachOperationResetsTheIdleCountOrLeavesIt)
{
    using Step = std::function<void()>;
    struct Row
    {
        const char* operation;
        Step setup;
        Step action;
        bool activity;
    };
    const Step nothing = [] {};
    auto yes = [&] { platform.queueAnswer(Answer::Yes); };
    auto no = [&] { platform.queueAnswer(Answer::No); };
    const Row rows[] = {
        // Lookup.
        {"combo text changed", nothing, [&] { comboChange("Al"); }, true},
        {"combo text emptied", nothing, [&] { comboChange(""); }, false},
        {"combo change after Backspace",
         [&] {
             comboChange("A");
             book->keyInName(true);
         },
         [&] { comboChange("Al"); }, false},
        {"key in the combo box", nothing, [&] { book->keyInName(false); }, true},
        {"list opened", nothing, [&] { book->openNameList(); }, true},
        {"key on GO", nothing, [&] { book->shiftOnGo(true); }, false},
        {"GO, found", [&] { comboChange("Alpha"); }, [&] { (void)book->lookUp(); }, true},
        {"GO, not found", [&] { comboChange("Nobody"); }, [&] { (void)book->lookUp(); }, true},
        // Editing.
        {"Add refused: no name", [&] { comboChange(""); }, [&] { (void)book->addAccount(); }, false},
        {"Add refused: duplicate", [&] { comboChange("Beta"); }, [&] { (void)book->addAccount(); }, false},
        {"Add done", [&] { comboChange("Gamma"); } /* deleted again below */, [&] { (void)book->addAccount(); },
         true},
        {"Change done",
         [&] {
             lookUp("Alpha");
             typeInto(Box::UserId, "2");
         },
         [&] { (void)book->changeAccount(); }, true},
        {"Change with an empty name",
         [&] {
             lookUp("Alpha");
             clearCombo();
         },
         [&] { (void)book->changeAccount(); }, true},
        {"Delete, Yes",
         [&] {
             lookUp("Gamma");
             yes();
         },
         [&] { (void)book->deleteAccount(); }, true},
        {"Delete, No",
         [&] {
             lookUp("Alpha");
             no();
         },
         [&] { (void)book->deleteAccount(); }, true},
        {"Cancel",
         [&] {
             lookUp("Alpha");
             typeInto(Box::UserId, "2");
         },
         [&] { book->cancelEdit(); }, true},
        {"New", nothing, [&] { book->newAccount(); }, true},
        {"box text changed", nothing, [&] { edit(Box::Notes, "typed"); }, true},
        // Display modes.
        {"Drag/ Drop Mode", nothing, [&] { book->toggleMode(); }, false},
        {"double-click on a box", nothing, [&] { book->enterEditMode(); }, false},
        {"Mask Notes", nothing, [&] { book->toggleMask(Box::Notes); }, true},
        {"Mask Username", nothing, [&] { book->toggleMask(Box::UserId); }, true},
        {"Mask Password", nothing, [&] { book->toggleMask(Box::Password); }, true},
        {"Mask All", nothing, [&] { book->maskAll(); }, false},
        {"Always on Top", nothing, [&] { book->toggleOnTop(); }, true},
        {"Show ToolTips", nothing, [&] { book->toggleToolTips(); }, false},
        {"Mask None", nothing, [&] { book->maskNone(); }, false},
        // Clipboard.
        {"copy notes", nothing, [&] { book->copyBox(Box::Notes); }, true},
        {"copy user ID", nothing, [&] { book->copyBox(Box::UserId); }, true},
        {"copy password", nothing, [&] { book->copyBox(Box::Password); }, true},
        {"Clear Clipboard", nothing, [&] { book->clearClipboard(); }, true},
        // Website and generator.
        {"website, empty", nothing, [&] { (void)book->openWebsite(); }, true},
        {"website, opened", [&] { lookUp("Alpha"); }, [&] { (void)book->openWebsite(); }, true},
        {"website, prefix refused",
         [&] {
             lookUp("Alpha");
             edit(Box::Website, "x.example");
             no();
         },
         [&] { (void)book->openWebsite(); }, true},
        {"Online Help", nothing, [&] { book->RunBrowser("http://coffernote.example.org/support.htm"); }, false},
        {"Generate Password without a name", [&] { comboChange(""); }, [&] { (void)book->generatePassword(); }, false},
        {"Generate Password, No",
         [&] {
             comboChange("Alpha");
             no();
         },
         [&] { (void)book->generatePassword(); }, false},
        {"Generate Password, Yes",
         [&] {
             lookUp("Alpha");
             yes();
         },
         [&] { (void)book->generatePassword(); }, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.operation);
        book->newAccount();
        row.setup();
        state.IdleTickCount = 7;
        row.action();
        EXPECT_EQ(state.IdleTickCount, row.activity ? 0 : 7);
        platform.checkNothingLeft();
        // Every lookup of the setups finds its account.
        const auto texts = messageTexts();
        const auto notFound = std::count(texts.begin(), texts.end(), "This account does not exist.  ");
        EXPECT_EQ(notFound, std::string(row.operation) == "GO, not found" ? 1 : 0);
        forgetMessages();
    }
}
