// The copy buttons and "Clear Clipboard".
// (The rules are checked on the model: tests/app/model/AccountBookClipboardTest.cpp; these check the window.)
#include "MainWindowFixture.h"

#include <QApplication>
#include <QClipboard>

namespace {

class Form1Clipboard : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        storeAccounts({account("Alpha", "http://alpha.example", "the notes", "alice", "s3cr3t")});
        openWindow();
        lookUp("Alpha");
    }
};

} // namespace

TEST_F(Form1Clipboard, EachButtonAndItsShortcutCopyTheRealTextOfItsBox)
{
    menuItem("mask_all")->trigger();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    struct Case
    {
        const char* button;
        Qt::Key key; // with Ctrl+Shift
        const char* text;
    };
    for (const Case& c : {Case{"cmdCopy2", Qt::Key_N, "the notes"}, Case{"cmdCopy3", Qt::Key_I, "alice"},
                          Case{"cmdCopy4", Qt::Key_C, "s3cr3t"}}) {
        for (const bool byKey : {false, true}) {
            platform.clipboard = "something else";
            const int clears = platform.clipboardClears;
            state.IdleTickCount = 8;
            if (byKey) {
                QTest::keyClick(QApplication::focusWidget(), c.key, Qt::ControlModifier | Qt::ShiftModifier);
                QTest::qWait(200); // the button shows itself pressed first
            } else {
                click(c.button);
            }
            EXPECT_EQ(platform.clipboard, c.text) << c.button << byKey;
            EXPECT_EQ(platform.clipboardClears, clears + 1) << c.button << byKey;
            EXPECT_EQ(state.IdleTickCount, 0) << c.button << byKey;
        }
    }
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(Form1Clipboard, ClearClipboardEmptiesIt)
{
    platform.setClipboardText("from another program");
    state.IdleTickCount = 4;
    menuItem("Clear_Clipboard")->trigger();
    EXPECT_FALSE(platform.clipboardHasText);
    EXPECT_EQ(platform.clipboard, "");
    EXPECT_EQ(state.IdleTickCount, 0);
}

TEST_F(Form1Clipboard, TheButtonsAreAlwaysEnabled)
{
    for (int step = 0; step < 3; ++step) {
        for (const char* b : {"cmdCopy1", "cmdCopy2", "cmdCopy3", "cmdCopy4"})
            EXPECT_TRUE(button(b)->isEnabled()) << b << " step " << step;
        if (step == 0)
            typeInto("txtGeneral", "x"); // Edit mode
        else
            menuItem("New")->trigger();
    }
}

// Selecting a secret with the keyboard or the mouse (in Drag/Drop mode a click selects the whole box) never
// publishes it as the primary selection, which any program on the desktop may read. Offscreen there is no primary
// selection; ClipboardSelectionX11 runs this under X, where it is the real check.
TEST_F(Form1Clipboard, SecretBoxesKeepTheirSelectionsOutOfThePrimarySelection)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    menuItem("mask_none")->trigger(); // a masked box publishes nothing anyway
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    const auto published = [clipboard] { return clipboard->text(QClipboard::Selection).toStdString(); };
    for (const auto& [name, secret] :
         {std::pair{"txtGeneral", "the notes"}, {"txtUserid", "alice"}, {"txtPassword", "s3cr3t"}}) {
        SCOPED_TRACE(name);
        QLineEdit* field = box(name);
        const auto expectKept = [&](const char* gesture) {
            const std::string p = published();
            EXPECT_TRUE(p.empty() || std::string(secret).find(p) == std::string::npos) << gesture << ": " << p;
        };
        QTest::mouseClick(field, Qt::LeftButton, {}, field->rect().center());
        expectKept("click in Drag/Drop mode");
        QTest::mouseDClick(field, Qt::LeftButton, {}, field->rect().center()); // Edit mode
        expectKept("double-click");
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        ASSERT_TRUE(field->hasSelectedText());
        expectKept("Ctrl+A");
        QTest::keyClick(field, Qt::Key_Left, Qt::ShiftModifier);
        expectKept("Shift+Left");
    }
    if (clipboard->supportsSelection()) { // the website is no secret: it is published as any text is
        QTest::keyClick(box("txtWebsite"), Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(published(), "http://alpha.example");
    }
}
