// Editing from the keyboard and mouse: what the window does itself. (The editing rules are checked on the
// model: tests/app/model/AccountBookEditingTest.cpp.)
#include "MainWindowFixture.h"

#include <QTest>

namespace {

class Form1Editing : public MainWindowFixture
{
protected:
    bool on(const char* name) { return button(name)->isEnabled(); }
    bool dragDrop() { return menuItem("LoginSelect")->isChecked(); }
};

} // namespace

TEST_F(Form1Editing, ChangeWithAnEmptyNameGivesTheComboBoxTheFocus)
{
    storeAccounts({account("Alpha", "", "", "u", "p")});
    openWindow();
    form->activateWindow();
    lookUp("Alpha");
    typeInto("txtPassword", "x");
    clearCombo();
    click("cmdChange");
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{"Please enter an account name.  "}));
    EXPECT_EQ(platform.messages[0].style, MsgInformation);
    QWidget* focus = form->focusWidget();
    EXPECT_TRUE(focus == combo() || focus == combo()->lineEdit());
    EXPECT_EQ(storedTable()[1].Password, "p");
    EXPECT_TRUE(dragDrop());
    EXPECT_TRUE(on("cmdDelete"));
}

TEST_F(Form1Editing, EveryKeystrokeInABoxEntersEditModeAndTurnsGoOff)
{
    storeAccounts({account("Alpha", "http://a.example", "n", "u", "p")});
    openWindow();
    for (const char* b : {"txtWebsite", "txtGeneral", "txtUserid", "txtPassword"}) {
        SCOPED_TRACE(b);
        lookUp("Alpha");
        platform.urls.clear();
        ASSERT_TRUE(dragDrop());
        state.IdleTickCount = 3;
        typeInto(b, "z");
        EXPECT_FALSE(on("cmdGo"));
        EXPECT_FALSE(dragDrop());
        EXPECT_EQ(label("lblMode"), " Edit Mode");
        EXPECT_EQ(storedOptions().get(OptionsRecord::DragDropMode), "false");
        EXPECT_EQ(state.IdleTickCount, 0);
        // Enter in the box therefore never starts a lookup.
        QTest::keyClick(box(b), Qt::Key_Return);
        EXPECT_TRUE(platform.urls.empty());
        EXPECT_TRUE(platform.messages.empty());
        click("cmdCancel");
    }
}
