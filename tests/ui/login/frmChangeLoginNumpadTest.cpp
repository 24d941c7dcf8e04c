#include "ChangeLoginFixture.h"

#include <QAction>
#include <QClipboard>
#include <QMenu>

#include <memory>

namespace {

// The login settings dialog's Number Pad box: digits and Backspace only, whatever way text comes in.
class NumberPadBox : public SettingsDialogFixture
{
};

TEST_F(NumberPadBox, NumberPadFieldTakesOnlyDigits)
{
    openSettings("", "", "");
    QLineEdit* pad = box("txtNumpad");
    QTest::keyClicks(pad, QStringLiteral("a -+.x,"));
    EXPECT_EQ(pad->text(), QString());
    QTest::keyClicks(pad, QStringLiteral("1a2 3"));
    EXPECT_EQ(pad->text(), QStringLiteral("123"));
    QTest::keyClick(pad, Qt::Key_Backspace);
    EXPECT_EQ(pad->text(), QStringLiteral("12"));
    QTest::keyClicks(pad, QStringLiteral("34567890123456"));
    EXPECT_EQ(pad->text(), QStringLiteral("123456789012345")); // a 16th digit cannot be typed
    QTest::keyClick(pad, Qt::Key_Home);
    QTest::keyClick(pad, Qt::Key_Delete);
    EXPECT_EQ(pad->text(), QStringLiteral("23456789012345"));
    // Delete as X11 delivers it, with the text DEL (127), still deletes; it types no character.
    QTest::sendKeyEvent(QTest::Click, pad, Qt::Key_Delete, QString(QChar(127)), Qt::NoModifier);
    EXPECT_EQ(pad->text(), QStringLiteral("3456789012345"));
    // Other control characters are swallowed, as letters are.
    QTest::sendKeyEvent(QTest::Click, pad, Qt::Key_Backspace, QString(QChar(127)), Qt::ControlModifier);
    EXPECT_EQ(pad->text(), QStringLiteral("3456789012345"));
}

// Ctrl+V types a control character, swallowed like a letter: it pastes nothing, not even digits. The paste
// command of the box's menu still inserts digits only.
TEST_F(NumberPadBox, CtrlVPastesNothingTheMenuPastesDigits)
{
    openSettings("", "", "5");
    QLineEdit* pad = box("txtNumpad");
    QClipboard* clipboard = QApplication::clipboard();
    pad->setCursorPosition(1);
    for (const QString& clip : {QStringLiteral("77"), QStringLiteral("x9")}) {
        clipboard->setText(clip);
        QTest::keyClick(pad, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(pad->text(), QStringLiteral("5"));
        // As some desktops deliver it, with the control character as its text.
        QTest::sendKeyEvent(QTest::Click, pad, Qt::Key_V, QString(QChar(22)), Qt::ControlModifier);
        EXPECT_EQ(pad->text(), QStringLiteral("5"));
    }

    std::unique_ptr<QMenu> menu(pad->createStandardContextMenu());
    QAction* paste = nullptr;
    for (QAction* a : menu->actions())
        if (a->text().startsWith(QStringLiteral("&Paste")))
            paste = a;
    ASSERT_NE(paste, nullptr);
    clipboard->setText(QStringLiteral("1a"));
    paste->trigger();
    EXPECT_EQ(pad->text(), QStringLiteral("5"));
    clipboard->setText(QStringLiteral("12"));
    paste->trigger();
    EXPECT_EQ(pad->text(), QStringLiteral("512"));
    clipboard->clear();
}

TEST_F(NumberPadBox, ThePadEntryGrowsInPlaceAndIsOverwrittenWhenTheDialogGoes)
{
    openSettings("Alice", "Secret", "4711");
    QLineEdit* pad = box("txtNumpad");
    const QChar* buffer = pad->text().constData();
    QTest::keyClicks(pad, QStringLiteral("98765432109"));
    ASSERT_EQ(pad->text(), QStringLiteral("471198765432109"));
    EXPECT_EQ(pad->text().constData(), buffer); // no earlier, shorter copy was given up
    // Held here after the box lets go: what the box held must be overwritten, not only dropped.
    const QString padHeld = pad->text();
    const QString passwordHeld = box("txtPassword1")->text();
    dialog->unload();
    EXPECT_EQ(padHeld, QString(15, QChar(0)));
    EXPECT_EQ(passwordHeld, QString(6, QChar(0)));
    EXPECT_EQ(pad->text(), QString());
}

TEST_F(NumberPadBox, APasteWithAnythingButDigitsChangesNothing)
{
    openSettings("", "", "5");
    QLineEdit* pad = box("txtNumpad");
    QClipboard* clipboard = QApplication::clipboard();
    pad->setCursorPosition(1);

    struct Case
    {
        const char* clip;
        const char* after;
    };
    const Case cases[] = {{"12a", "5"}, {" 12", "5"}, {"-3", "5"}, {"\t7", "5"}, {"٣", "5"}, {"34", "534"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clip);
        clipboard->setText(QString::fromUtf8(c.clip));
        pad->paste();
        EXPECT_EQ(pad->text(), QString::fromLatin1(c.after));
    }

    // Over a selection: the text stays when the paste is refused.
    clipboard->setText(QStringLiteral("x9"));
    pad->selectAll();
    pad->paste();
    EXPECT_EQ(pad->text(), QStringLiteral("534"));

    // A digit paste longer than the field keeps what fits.
    pad->clear();
    clipboard->setText(QStringLiteral("12345678901234567890"));
    pad->paste();
    EXPECT_EQ(pad->text(), QStringLiteral("123456789012345"));

    // Whatever inserts text (a drop, an input method) goes the same way.
    pad->setText(QStringLiteral("123"));
    pad->setCursorPosition(0);
    pad->insert(QStringLiteral("4x"));
    EXPECT_EQ(pad->text(), QStringLiteral("123"));
    EXPECT_EQ(pad->cursorPosition(), 0);
    pad->insert(QStringLiteral("9"));
    EXPECT_EQ(pad->text(), QStringLiteral("9123"));
    pad->setText(QStringLiteral("123456789012345"));

    // After a refused paste the field still edits normally.
    QTest::keyClick(pad, Qt::Key_Backspace);
    EXPECT_EQ(pad->text(), QStringLiteral("12345678901234"));
    clipboard->clear();
}

TEST_F(NumberPadBox, AFieldFilledWithOtherCharactersStillRefusesThem)
{
    // A second password that is not all digits (only a changed file holds one) is shown as it is, and what
    // the user adds is still checked.
    openSettings("", "", "ab12");
    QLineEdit* pad = box("txtNumpad");
    EXPECT_EQ(pad->text(), QStringLiteral("ab12"));
    pad->setCursorPosition(4);
    QApplication::clipboard()->setText(QStringLiteral("c"));
    pad->paste();
    QTest::keyClicks(pad, QStringLiteral("d"));
    EXPECT_EQ(pad->text(), QStringLiteral("ab12"));
    QApplication::clipboard()->setText(QStringLiteral("3"));
    pad->paste();
    EXPECT_EQ(pad->text(), QStringLiteral("ab123"));
    QApplication::clipboard()->clear();
}

} // namespace
