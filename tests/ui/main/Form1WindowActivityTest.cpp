// Which operations of the main window's lookup, editing, display modes, clipboard, website and generator count
// as user activity for the idle lock: each either sets IdleTickCount back to 0 or leaves it alone.
#include "MainWindowFixture.h"

#include <QTest>

#include <algorithm>
#include <functional>

namespace {

class Form1WindowActivity : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        storeAccounts({account("Alpha", "http://alpha.example", "n", "u", "p"), account("Beta", "beta.example")});
        openWindow();
    }
    // Puts text into the combo box as the program does, then runs the change rule on it.
    void comboChange(const QString& text)
    {
        combo()->lineEdit()->setText(text);
        form->cboSelect_Change();
    }
};

} // namespace

TEST_F(Form1WindowActivity, EachOperationResetsTheIdleCountOrLeavesIt)
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
             form->cboSelect_KeyDown(Qt::Key_Backspace, {});
         },
         [&] { comboChange("Al"); }, false},
        {"key in the combo box", nothing, [&] { form->cboSelect_KeyDown(Qt::Key_Right, {}); }, true},
        {"list opened", nothing, [&] { form->cboSelect_DropDown(); }, true},
        {"key on GO", nothing, [&] { form->cmdGo_KeyDown(Qt::Key_Shift, Qt::ShiftModifier); }, false},
        {"GO, found", [&] { comboChange("Alpha"); }, [&] { form->cmdGo_Click(); }, true},
        {"GO, not found", [&] { comboChange("Nobody"); }, [&] { form->cmdGo_Click(); }, true},
        // Editing.
        {"Add refused: no name", [&] { comboChange(""); }, [&] { form->Add_Account_Click(); }, false},
        {"Add refused: duplicate", [&] { comboChange("Beta"); }, [&] { form->Add_Account_Click(); }, false},
        {"Add done", [&] { comboChange("Gamma"); } /* deleted again below */, [&] { form->Add_Account_Click(); }, true},
        {"Change done",
         [&] {
             lookUp("Alpha");
             typeInto("txtUserid", "2");
         },
         [&] { form->cmdChange_Click(); }, true},
        {"Change with an empty name",
         [&] {
             lookUp("Alpha");
             clearCombo();
         },
         [&] { form->cmdChange_Click(); }, true},
        {"Delete, Yes",
         [&] {
             lookUp("Gamma");
             yes();
         },
         [&] { form->cmdDelete_Click(); }, true},
        {"Delete, No",
         [&] {
             lookUp("Alpha");
             no();
         },
         [&] { form->cmdDelete_Click(); }, true},
        {"Cancel",
         [&] {
             lookUp("Alpha");
             typeInto("txtUserid", "2");
         },
         [&] { form->cmdCancel_Click(); }, true},
        {"New", nothing, [&] { form->New_Click(); }, true},
        {"box text changed", nothing, [&] { box("txtGeneral")->setText("typed"); }, true},
        // Display modes.
        {"Drag/ Drop Mode", nothing, [&] { form->LoginSelect_Click(); }, false},
        {"double-click on a box", nothing, [&] { QTest::mouseDClick(box("txtUserid"), Qt::LeftButton); }, false},
        {"mouse over a box", [&] { lookUp("Alpha"); }, [&] { QTest::mouseMove(box("txtUserid")); }, false},
        {"Mask Notes", nothing, [&] { form->Command1_Click(); }, true},
        {"Mask Username", nothing, [&] { form->MaskUser_Click(); }, true},
        {"Mask Password", nothing, [&] { form->MaskPwd_Click(); }, true},
        {"Mask All", nothing, [&] { form->mask_all_Click(); }, false},
        {"Mask None", nothing, [&] { form->mask_none_Click(); }, false},
        // Clipboard.
        {"copy notes", nothing, [&] { form->cmdCopy2_Click(); }, true},
        {"copy user ID", nothing, [&] { form->cmdCopy3_Click(); }, true},
        {"copy password", nothing, [&] { form->cmdCopy4_Click(); }, true},
        {"Clear Clipboard", nothing, [&] { form->Clear_Clipboard_Click(); }, true},
        // Website and generator.
        {"website, empty", nothing, [&] { form->cmdCopy1_Click(); }, true},
        {"website, opened", [&] { lookUp("Alpha"); }, [&] { form->cmdCopy1_Click(); }, true},
        {"website, prefix refused",
         [&] {
             lookUp("Alpha");
             box("txtWebsite")->setText("x.example");
             no();
         },
         [&] { form->cmdCopy1_Click(); }, true},
        {"Online Help", nothing, [&] { form->Online_Click(); }, false},
        {"Generate Password without a name", [&] { comboChange(""); }, [&] { form->passwordGen_Click(); }, false},
        {"Generate Password, No",
         [&] {
             comboChange("Alpha");
             no();
         },
         [&] { form->passwordGen_Click(); }, false},
        {"Generate Password, Yes",
         [&] {
             lookUp("Alpha");
             yes();
         },
         [&] { form->passwordGen_Click(); }, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.operation);
        form->New_Click();
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
