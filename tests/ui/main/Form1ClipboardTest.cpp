// The copy buttons and "Clear Clipboard".
// (The rules are checked on the model: tests/app/model/AccountBookClipboardTest.cpp; these check the window.)
#include "MainWindowFixture.h"

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

TEST_F(Form1Clipboard, EachButtonCopiesTheRealTextOfItsBox)
{
    menuItem("mask_all")->trigger();
    struct Case
    {
        const char* button;
        const char* text;
    };
    for (const Case& c : {Case{"cmdCopy2", "the notes"}, Case{"cmdCopy3", "alice"}, Case{"cmdCopy4", "s3cr3t"}}) {
        platform.clipboard = "something else";
        const int clears = platform.clipboardClears;
        state.IdleTickCount = 8;
        click(c.button);
        EXPECT_EQ(platform.clipboard, c.text) << c.button;
        EXPECT_EQ(platform.clipboardClears, clears + 1) << c.button;
        EXPECT_EQ(state.IdleTickCount, 0) << c.button;
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
