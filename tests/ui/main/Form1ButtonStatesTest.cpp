// The buttons and the mode label show the model's state after events from the keyboard and mouse.
// (The rules of every operation are checked on the model: tests/app/model/AccountBookButtonStatesTest.cpp.)
#include "MainWindowFixture.h"

#include <QTest>

#include <functional>

namespace {

class Form1ButtonStates : public MainWindowFixture
{
protected:
    ButtonSnapshot snapshot()
    {
        return {button("cmdGo")->isEnabled(),     button("Add_Account")->isEnabled(),
                button("cmdChange")->isEnabled(), button("cmdCancel")->isEnabled(),
                button("cmdDelete")->isEnabled(), menuItem("LoginSelect")->isChecked()};
    }

    // A fresh window on a fresh folder holding three accounts.
    void reopen()
    {
        form.reset();
        restock(ButtonStateAccounts());
        openWindow();
        forgetMessages();
        platform.urls.clear();
    }

    void typeExactName(const QString& name)
    {
        clearCombo();
        typeInCombo("#" + name);
        QTest::keyClick(combo()->lineEdit(), Qt::Key_Home);
        QTest::keyClick(combo()->lineEdit(), Qt::Key_Delete);
    }
};

} // namespace

TEST_F(Form1ButtonStates, TheWindowShowsTheModelsButtonsAndMode)
{
    using Step = std::function<void()>;
    struct Row
    {
        const char* after;
        Step setup;
        Step action;
        const char* expected; // GO Add Change Cancel Delete Mode
    };
    const Step nothing = [] {};
    const Row rows[] = {
        {"Start-up", nothing, nothing, "1 0 0 0 0 D"},
        {"Combo text changed, a record on display", [&] { lookUp("Bank"); }, [&] { typeInCombo("x"); }, "1 1 1 1 0 -"},
        {"Box text changed", [&] { lookUp("Bank"); }, [&] { typeInto("txtGeneral", "x"); }, "0 1 1 1 0 E"},
        {"Double-click on a box", [&] { lookUp("Bank"); },
         [&] { QTest::mouseDClick(box("txtGeneral"), Qt::LeftButton); }, "- 1 1 1 0 E"},
        {"Successful lookup", [&] { typeInto("txtUserid", "x"); }, [&] { lookUp("Mail"); }, "1 0 0 0 1 D"},
        {"Add refused: the header's name, taken",
         [&] {
             typeExactName(kHeaderMarker);
             typeInto("txtUserid", "x");
         },
         [&] { click("Add_Account"); }, "- 0 - - - -"},
        {"Add done",
         [&] {
             clearCombo();
             typeInCombo("Shop");
             typeInto("txtUserid", "x");
         },
         [&] { click("Add_Account"); }, "1 0 0 0 1 D"},
        {"Delete, Yes, record on display", [&] { lookUp("Bank"); },
         [&] {
             platform.queueAnswer(Answer::Yes);
             click("cmdDelete");
         },
         "1 0 0 0 0 E"},
        {"New, a box held text", [&] { lookUp("Bank"); }, [&] { menuItem("New")->trigger(); }, "1 0 0 0 0 E"},
    };

    for (const Row& row : rows) {
        SCOPED_TRACE(row.after);
        reopen();
        row.setup();
        const ButtonSnapshot before = snapshot();
        row.action();
        ExpectButtonState(row.expected, before, snapshot());
        // The mode label and the options file follow the mode.
        const bool dragDrop = menuItem("LoginSelect")->isChecked();
        EXPECT_EQ(label("lblMode"), dragDrop ? " Drag/Drop Mode" : " Edit Mode");
        EXPECT_EQ(storedOptions().get(OptionsRecord::DragDropMode), dragDrop ? "true" : "false");
    }
}
