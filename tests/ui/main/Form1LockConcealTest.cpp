// The lock empties the main window's boxes and puts them back exactly on the unlock.
#include "MainWindowFixture.h"

#include "ui/login/frmLocked.h"
#include "ui/main/FieldBox.h"

#include <QAccessible>

namespace {

const char* const kBoxes[] = {"txtWebsite", "txtGeneral", "txtUserid", "txtPassword"};
const char* const kButtons[] = {"cmdGo",    "Add_Account", "cmdChange", "cmdDelete", "cmdCancel",
                                "cmdCopy1", "cmdCopy2",    "cmdCopy3",  "cmdCopy4"};
const char* const kItems[] = {"LoginSelect", "Command1", "MaskUser", "MaskPwd"};

// Everything the window shows or holds that the lock must not change.
struct Look
{
    std::vector<std::string> texts; // combo first, then the boxes
    std::vector<int> carets, selectionStarts, selectionLengths;
    std::vector<bool> modified, masked, dragSources, enabled, checked;
    std::string id, mode;
};

class LockConceal : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        storeAccounts({account("Bank", "https://bank.example", "branch 4", "me@bank", "s3cret"),
                       account("Shop", "shop.example", "", "buyer", "pw")});
        openWindow();
    }

    std::vector<QLineEdit*> edits()
    {
        std::vector<QLineEdit*> all{combo()->lineEdit()};
        for (const char* name : kBoxes)
            all.push_back(box(name));
        return all;
    }
    Look look()
    {
        Look l;
        for (QLineEdit* e : edits()) {
            l.texts.push_back(e->text().toStdString());
            l.carets.push_back(e->cursorPosition());
            l.selectionStarts.push_back(e->selectionStart());
            l.selectionLengths.push_back(static_cast<int>(e->selectedText().size()));
            l.modified.push_back(e->isModified());
        }
        for (const char* name : kBoxes) {
            l.masked.push_back(box(name)->echoMode() != QLineEdit::Normal);
            l.dragSources.push_back(find<FieldBox>(name)->isDragSource());
        }
        for (const char* name : kButtons)
            l.enabled.push_back(button(name)->isEnabled());
        for (const char* name : kItems)
            l.checked.push_back(menuItem(name)->isChecked());
        l.id = label("lblID").toStdString();
        l.mode = label("lblMode").toStdString();
        return l;
    }
    void unlock()
    {
        frmLocked* screen = form->lockScreen();
        QTest::mouseClick(screen->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        QTest::mouseClick(screen->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
        ASSERT_TRUE(form->isVisible());
    }
    // Locks, checks that nothing can be read and nothing else changed, unlocks, checks all came back.
    void lockAndUnlock()
    {
        const Look before = look();
        form->Lock_Click();
        form->Lock_Click(); // a lock on top of it hides nothing twice
        Look locked = look();
        for (QLineEdit* e : edits()) {
            EXPECT_EQ(e->text(), QString()) << e->objectName().toStdString();
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(e);
            ASSERT_NE(a, nullptr);
            EXPECT_EQ(a->text(QAccessible::Value), QString()) << e->objectName().toStdString();
            ASSERT_NE(a->textInterface(), nullptr);
            EXPECT_EQ(a->textInterface()->characterCount(), 0);
        }
        // Emptying the boxes ran no change rule: buttons and modes stand as they stood.
        EXPECT_EQ(locked.enabled, before.enabled);
        EXPECT_EQ(locked.checked, before.checked);
        EXPECT_EQ(locked.mode, before.mode);
        EXPECT_EQ(locked.id, before.id);
        unlock();
        const Look after = look();
        EXPECT_EQ(after.texts, before.texts);
        EXPECT_EQ(after.carets, before.carets);
        EXPECT_EQ(after.selectionStarts, before.selectionStarts);
        EXPECT_EQ(after.selectionLengths, before.selectionLengths);
        EXPECT_EQ(after.modified, before.modified);
        EXPECT_EQ(after.masked, before.masked);
        EXPECT_EQ(after.dragSources, before.dragSources);
        EXPECT_EQ(after.enabled, before.enabled);
        EXPECT_EQ(after.checked, before.checked);
        EXPECT_EQ(after.id, before.id);
        EXPECT_EQ(after.mode, before.mode);
    }
};

} // namespace

TEST_F(LockConceal, AnAccountOnDisplayComesBackAsItWas)
{
    lookUp(QStringLiteral("Bank"));
    box("txtUserid")->setSelection(2, 3);
    lockAndUnlock();
    EXPECT_EQ(box("txtPassword")->text(), QStringLiteral("s3cret"));
}

TEST_F(LockConceal, APendingEditInEditModeIsKeptAndCanBeSaved)
{
    lookUp(QStringLiteral("Bank"));
    typeInto("txtGeneral", QStringLiteral(", floor 2"));
    box("txtGeneral")->setSelection(6, -4);             // selected towards its start
    ASSERT_FALSE(menuItem("LoginSelect")->isChecked()); // Edit mode
    ASSERT_TRUE(button("cmdChange")->isEnabled());
    lockAndUnlock();
    click("cmdChange");
    EXPECT_EQ(storedTable()[1].Notes, "branch 4, floor 2");
}

TEST_F(LockConceal, ATypedNameWithItsCompletionComesBack)
{
    clearCombo();
    typeInCombo(QStringLiteral("Sh")); // completed to "Shop", the tail selected
    ASSERT_EQ(comboText(), QStringLiteral("Shop"));
    menuItem("mask_none")->trigger(); // every box in clear
    lockAndUnlock();
    EXPECT_EQ(combo()->lineEdit()->selectedText(), QStringLiteral("op"));
}
