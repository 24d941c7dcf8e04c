// Looking accounts up: the combo box rules and GO.
// (The rules are checked on the model: tests/app/model/AccountBookLookupTest.cpp; these check the window.)
#include "MainWindowFixture.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QTest>

#include <functional>

namespace {

class Form1Lookup : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        storeAccounts(LookupAccounts());
        openWindow();
    }

    QString selected() { return combo()->lineEdit()->selectedText(); }
    bool on(const char* name) { return button(name)->isEnabled(); }
};

} // namespace

TEST_F(Form1Lookup, AfterLoadTheListIsSortedAndThePlaceholderShows)
{
    QStringList items;
    for (int i = 0; i < combo()->count(); ++i)
        items << combo()->itemText(i);
    EXPECT_EQ(items, (QStringList{"Bank", "Bankers", "Mail", "zoo"}));
    EXPECT_EQ(comboText().toStdString(), "< Select or type account here >");
    EXPECT_TRUE(label("lblID").isEmpty());
}

TEST_F(Form1Lookup, BackspaceRemovesTheCompletionWithoutItComingBack)
{
    clearCombo();
    typeInCombo("ba");
    ASSERT_EQ(comboText(), "Bank");
    QTest::keyClick(combo()->lineEdit(), Qt::Key_Backspace);
    EXPECT_EQ(comboText(), "Ba"); // what the completion left before the selected tail
    EXPECT_EQ(selected(), "");
    typeInCombo("n");
    EXPECT_EQ(comboText(), "Bank");
    EXPECT_EQ(selected(), "k");

    // Delete with nothing to delete sets the mark all the same: the next change is not completed.
    clearCombo();
    typeInCombo("m");
    QTest::keyClick(combo()->lineEdit(), Qt::Key_End);
    ASSERT_EQ(comboText(), "Mail");
    QTest::keyClick(combo()->lineEdit(), Qt::Key_Delete);
    QTest::keyClick(combo()->lineEdit(), Qt::Key_Backspace); // "Mai": the suppressed change
    EXPECT_EQ(comboText(), "Mai");
    QTest::keyClick(combo()->lineEdit(), Qt::Key_Backspace); // Backspace marks again
    EXPECT_EQ(comboText(), "Ma");
    typeInCombo("i");
    EXPECT_EQ(comboText(), "Mail");
}

TEST_F(Form1Lookup, SuppressedChangeLeavesTheButtonsAlone)
{
    clearCombo();
    typeInCombo("ba");
    typeInto("txtUserid", "x"); // GO off, Add/Change/Cancel on
    ASSERT_FALSE(on("cmdGo"));
    QTest::keyClick(combo()->lineEdit(), Qt::Key_Backspace);
    // The key itself turns GO on; the suppressed change touches nothing else.
    EXPECT_TRUE(on("cmdGo"));
    EXPECT_TRUE(on("cmdChange"));
    EXPECT_TRUE(on("Add_Account"));
}

TEST_F(Form1Lookup, TheComboTextNeverHoldsMoreThanFiftyCharacters)
{
    clearCombo();
    const QString sixty = QString(60, u'x');
    typeInCombo(sixty);
    EXPECT_EQ(comboText(), QString(50, u'x'));

    // Pasted text too.
    clearCombo();
    QApplication::clipboard()->setText(QString(40, u'y') + QString(20, u'z'));
    QTest::keyClick(combo()->lineEdit(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(comboText(), QString(40, u'y') + QString(10, u'z'));
}

TEST_F(Form1Lookup, EnterInTheComboBoxPressesGo)
{
    clearCombo();
    typeInCombo("mail");
    ASSERT_EQ(comboText(), "Mail");
    QTest::keyClick(combo()->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(label("lblID"), "1");
    EXPECT_EQ(box("txtPassword")->text(), "m41l");
}

TEST_F(Form1Lookup, TheComparisonIsExact)
{
    for (const char* name : {"bank", "Bank ", "Ban"}) {
        forgetMessages();
        clearCombo();
        // A leading character that completes nothing, then Home and Delete: the text stays as typed.
        typeInCombo("#" + QString::fromLatin1(name));
        QTest::keyClick(combo()->lineEdit(), Qt::Key_Home);
        QTest::keyClick(combo()->lineEdit(), Qt::Key_Delete);
        ASSERT_EQ(comboText(), QString::fromLatin1(name));
        click("cmdGo");
        ASSERT_EQ(platform.messages.size(), 1u) << name;
        EXPECT_EQ(platform.messages[0].text, "This account does not exist.  ");
        EXPECT_EQ(platform.messages[0].style, MsgInformation);
        EXPECT_EQ(platform.messages[0].caption, "Coffernote");
        EXPECT_TRUE(label("lblID").isEmpty());
        EXPECT_TRUE(comboText().isEmpty());
    }
}

TEST_F(Form1Lookup, ShiftOnGoSkipsTheWebsiteOnce)
{
    clearCombo();
    typeInCombo("Mail");
    button("cmdGo")->setFocus();
    QTest::keyClick(button("cmdGo"), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(label("lblID"), "1");
    EXPECT_TRUE(platform.urls.empty());

    lookUp("Mail");
    EXPECT_EQ(platform.urls, (std::vector<std::string>{"https://mail.example.com"}));

    // Shift alone is enough, and a failed lookup keeps the mark for the next successful one.
    platform.urls.clear();
    QTest::keyClick(button("cmdGo"), Qt::Key_Shift, Qt::ShiftModifier);
    lookUp("Nobody");
    lookUp("Mail");
    EXPECT_TRUE(platform.urls.empty());
    EXPECT_EQ(label("lblID"), "1");
}

TEST_F(Form1Lookup, AWebsiteWithoutHttpIsOfferedThePrefixOnGo)
{
    platform.queueAnswer(Answer::No);
    lookUp("zoo");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "'http://' will be added to your URL.  Accept?   ");
    EXPECT_EQ(platform.messages[0].style, MsgQuestion);
    EXPECT_TRUE(platform.urls.empty());
    // The lookup still ends as every lookup does.
    EXPECT_EQ(label("lblID"), "4");
    EXPECT_TRUE(menuItem("LoginSelect")->isChecked());
    EXPECT_TRUE(button("cmdGo")->isEnabled());
    EXPECT_TRUE(button("cmdDelete")->isEnabled());
    EXPECT_FALSE(button("cmdChange")->isEnabled());

    platform.queueAnswer(Answer::Yes);
    forgetMessages();
    lookUp("zoo");
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{"'http://' will be added to your URL.  Accept?   ",
                                                        "Settings have been saved successfully."}));
    EXPECT_EQ(platform.urls, (std::vector<std::string>{"http://zoo.example.org"}));
    EXPECT_EQ(box("txtWebsite")->text(), "http://zoo.example.org");
    EXPECT_EQ(storedTable()[4].Website, "http://zoo.example.org");
    EXPECT_TRUE(menuItem("LoginSelect")->isChecked());
    EXPECT_EQ(label("lblMode"), " Drag/Drop Mode");
    EXPECT_FALSE(button("Add_Account")->isEnabled());
    EXPECT_TRUE(button("cmdGo")->isEnabled());
}

TEST_F(Form1Lookup, PickingFromTheListRunsNoChangeRule)
{
    // As loaded: Add and Cancel off. The change rule would turn them on.
    combo()->showPopup();
    QTest::keyClick(combo()->view(), Qt::Key_Down);
    QTest::keyClick(combo()->view(), Qt::Key_Return);
    EXPECT_FALSE(combo()->view()->isVisible());
    EXPECT_EQ(comboText(), combo()->itemText(combo()->currentIndex()));
    EXPECT_FALSE(comboText().isEmpty());
    EXPECT_FALSE(on("Add_Account"));
    EXPECT_FALSE(on("cmdCancel"));
}

TEST_F(Form1Lookup, OpeningTheListTurnsGoOn)
{
    typeInto("txtUserid", "x");
    ASSERT_FALSE(on("cmdGo"));
    combo()->showPopup();
    EXPECT_TRUE(on("cmdGo"));
    combo()->hidePopup();

    // From the keyboard too.
    typeInto("txtUserid", "y");
    ASSERT_FALSE(on("cmdGo"));
    state.IdleTickCount = 3;
    QTest::keyClick(combo(), Qt::Key_F4);
    EXPECT_TRUE(on("cmdGo"));
    EXPECT_EQ(state.IdleTickCount, 0);
    combo()->hidePopup();
}

TEST_F(Form1Lookup, TypingIntoTheFocusedComboBoxFollowsTheSameRules)
{
    // Keys go to the widget that has the focus, as they do for a person at the keyboard.
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    combo()->setFocus();
    QWidget* target = QApplication::focusWidget();
    ASSERT_TRUE(target == combo() || target == combo()->lineEdit());
    QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(target, Qt::Key_Backspace);
    QTest::keyClicks(target, "ba");
    EXPECT_EQ(comboText(), "Bank");
    EXPECT_EQ(selected(), "nk");
    QTest::keyClick(target, Qt::Key_Backspace);
    EXPECT_EQ(comboText(), "Ba"); // not completed again
    typeInto("txtUserid", "x");
    ASSERT_FALSE(on("cmdGo"));
    combo()->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right); // any key turns GO on
    EXPECT_TRUE(on("cmdGo"));
}

TEST_F(Form1Lookup, TabbingThroughTheComboBoxIsNoKeyOfIt)
{
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    typeInto("txtUserid", "x"); // GO off
    ASSERT_FALSE(on("cmdGo"));
    state.IdleTickCount = 4;
    combo()->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "txtWebsite");
    EXPECT_FALSE(on("cmdGo")); // only a key meant for the combo box turns it on
    EXPECT_EQ(state.IdleTickCount, 4);

    // Leaving GO with Tab neither presses it nor marks the next lookup.
    lookUp("Mail");
    platform.urls.clear();
    button("cmdGo")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    lookUp("Mail");
    EXPECT_EQ(platform.urls, (std::vector<std::string>{"https://mail.example.com"}));
}

TEST_F(Form1Lookup, TextPutInByTheWindowReadsFromItsBeginning)
{
    // The placeholder is wider than the box with many fonts: its beginning must show, not its end. It is
    // selected, so the first keystroke replaces it.
    QLineEdit* edit = combo()->lineEdit();
    EXPECT_EQ(edit->cursorPosition(), 0);
    EXPECT_EQ(edit->selectedText().toStdString(), "< Select or type account here >");

    // Cancel puts the stored name back: it completes to itself from the start, all of it selected.
    lookUp("Bankers");
    typeInCombo("xyz");
    ASSERT_EQ(comboText(), "Bankersxyz");
    click("cmdCancel");
    EXPECT_EQ(comboText(), "Bankers");
    EXPECT_EQ(edit->selectionStart(), 0);
    EXPECT_EQ(edit->selectedText(), "Bankers");
}

TEST_F(Form1Lookup, AClickIntoThePromptSelectsItWholeButNotIntoAName)
{
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QLineEdit* edit = combo()->lineEdit();
    auto clickIntoCombo = [this, edit] {
        box("txtWebsite")->setFocus();
        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(edit->width() / 2, edit->height() / 2));
        QTest::qWait(1); // the click is through
    };
    clickIntoCombo();
    EXPECT_EQ(selected().toStdString(), "< Select or type account here >");
    QTest::keyClicks(QApplication::focusWidget(), "ba");
    EXPECT_EQ(comboText().toStdString(), "Bank"); // the prompt replaced, the name completed

    lookUp("Bankers");
    clickIntoCombo();
    EXPECT_EQ(selected(), QString());
}

// Wherever a click or a key put the caret in the prompt, the first key replaces the prompt whole.
TEST_F(Form1Lookup, TheFirstKeyReplacesThePromptWhereverTheCaretStands)
{
    struct Case
    {
        const char* how;
        std::function<void(QLineEdit*)> placeCaret;
        int key; // typed after the caret was placed: a letter types "Zoo", which completes
        const char* shown;
    };
    const auto clickAt = [](QLineEdit* edit, int x) {
        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(x, edit->height() / 2));
        QTest::qWait(1); // the click is through
    };
    const Case cases[] = {
        {"a click into the focused prompt", [&](QLineEdit* e) { clickAt(e, e->width() / 3); }, Qt::Key_Z, "zoo"},
        {"a click from another box",
         [&](QLineEdit* e) {
             box("txtWebsite")->setFocus();
             clickAt(e, e->width() / 2);
         },
         Qt::Key_Z, "zoo"},
        {"Shift+Tab from the next box, then End",
         [&](QLineEdit*) {
             box("txtWebsite")->setFocus();
             QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
             QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
         },
         Qt::Key_Z, "zoo"},
        {"a click, then Backspace", [&](QLineEdit* e) { clickAt(e, e->width() / 2); }, Qt::Key_Backspace, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        openWindow();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        QLineEdit* edit = combo()->lineEdit();
        box("txtWebsite")->setFocus();
        combo()->setFocus(); // as at the start
        QTest::qWait(1);     // and settled there, its prompt selected
        c.placeCaret(edit);
        ASSERT_EQ(QApplication::focusWidget(), combo());
        if (c.key == Qt::Key_Z)
            QTest::keyClicks(combo(), "Zoo");
        else
            QTest::keyClick(combo(), static_cast<Qt::Key>(c.key));
        EXPECT_EQ(comboText().toStdString(), c.shown);
    }
}
