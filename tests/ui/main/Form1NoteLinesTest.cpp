// Notes with line breaks: marked in the box, read and edited line by line, stored exactly.
#include "MainWindowFixture.h"

#include "ui/login/frmLocked.h"
#include "ui/main/NotesEditor.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QPlainTextEdit>

namespace {

class NoteLines : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        storeAccounts({account("Bank", "https://bank.example", "line 1\r\nline 2\r\nGroup: Banks", "me", "pw"),
                       account("Shop", "https://shop.example", "one line", "buyer", "pw")});
        openWindow();
    }
    NotesEditor* editor()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        NotesEditor* e = form->findChild<NotesEditor*>();
        return e && e->isVisible() ? e : nullptr;
    }
    QPlainTextEdit* lines() { return editor()->findChild<QPlainTextEdit*>(QStringLiteral("txtLines")); }
    void doubleClickNotes() { QTest::mouseDClick(box("txtGeneral"), Qt::LeftButton); }
    QAction* mark() { return find<QAction>("noteLinesMark"); }
};

} // namespace

TEST_F(NoteLines, AreMarkedShownFromTheFirstLineAndEditedLineByLine)
{
    lookUp(QStringLiteral("Bank"));
    EXPECT_TRUE(mark()->isVisible());
    EXPECT_EQ(box("txtGeneral")->cursorPosition(), 0);
    doubleClickNotes();
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->windowTitle(), QStringLiteral("Notes"));
    EXPECT_EQ(lines()->toPlainText(), QStringLiteral("line 1\nline 2\nGroup: Banks"));
    lines()->moveCursor(QTextCursor::End);
    QTest::keyClicks(lines(), QStringLiteral(" (old)"));
    QTest::mouseClick(editor()->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    EXPECT_EQ(editor(), nullptr);
    EXPECT_EQ(box("txtGeneral")->text(), QStringLiteral("line 1\r\nline 2\r\nGroup: Banks (old)"));
    click("cmdChange");
    EXPECT_EQ(storedTable()[1].Notes, "line 1\r\nline 2\r\nGroup: Banks (old)");
}

TEST_F(NoteLines, CancelChangesNothingAndAMaskedNoteDoesNotOpen)
{
    lookUp(QStringLiteral("Bank"));
    doubleClickNotes();
    lines()->setPlainText(QStringLiteral("other"));
    editor()->reject();
    EXPECT_EQ(box("txtGeneral")->text(), QStringLiteral("line 1\r\nline 2\r\nGroup: Banks"));
    menuItem("Command1")->trigger(); // Mask Notes
    EXPECT_FALSE(mark()->isVisible());
    doubleClickNotes();
    EXPECT_EQ(editor(), nullptr);
}

TEST_F(NoteLines, CtrlEnterAddsLinesToAOneLineNoteAndTheLockKeepsThem)
{
    lookUp(QStringLiteral("Shop"));
    EXPECT_FALSE(mark()->isVisible());
    doubleClickNotes();
    EXPECT_EQ(editor(), nullptr); // one line: the double-click only enters Edit mode
    form->activateWindow(); // shortcuts go to the active window's focus
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    box("txtGeneral")->setFocus();
    QTest::keyClick(box("txtGeneral"), Qt::Key_Return, Qt::ControlModifier);
    ASSERT_NE(editor(), nullptr);
    lines()->setPlainText(QStringLiteral("one line\nanother"));
    form->Lock_Click();
    EXPECT_EQ(editor(), nullptr);
    frmLocked* screen = form->lockScreen();
    QTest::mouseClick(screen->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    QTest::mouseClick(screen->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
    EXPECT_TRUE(mark()->isVisible());
    click("cmdChange");
    EXPECT_EQ(storedTable()[2].Notes, "one line\r\nanother");
}
