// The copy buttons and "Clear Clipboard" on the main window's model.
#include "AccountBookFixture.h"

namespace {

class AccountBookClipboard : public AccountBookFixture
{
protected:
    void SetUp() override
    {
        storeAccounts({account("Alpha", "http://alpha.example", "the notes", "alice", "s3cr3t")});
        open();
        lookUp("Alpha");
    }
};

} // namespace

TEST_F(AccountBookClipboard, TypedTextIsCopiedBeforeItIsSaved)
{
    typeInto(Box::UserId, "-new");
    click("cmdCopy3");
    EXPECT_EQ(platform.clipboard, "alice-new");
    EXPECT_EQ(storedTable()[1].UserId, "alice");
}

TEST_F(AccountBookClipboard, AnEmptyBoxLeavesTheClipboardEmpty)
{
    click("cmdCopy4");
    ASSERT_TRUE(platform.clipboardHasText);
    book->newAccount();
    click("cmdCopy4");
    EXPECT_FALSE(platform.clipboardHasText);
    EXPECT_EQ(platform.clipboard, "");
}

TEST_F(AccountBookClipboard, ABusyClipboardIsReportedAndTheBoxKeepsItsText)
{
    platform.clipboardBusy = true;
    click("cmdCopy4");
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{"The clipboard is in use by another program, so nothing "
                                                        "was copied.\r\nPlease try again.  "}));
    EXPECT_EQ(platform.messages[0].style, MsgExclamation);
    EXPECT_EQ(boxText(Box::Password), "s3cr3t");
    EXPECT_FALSE(platform.ended());

    platform.clipboardBusy = false;
    click("cmdCopy4");
    EXPECT_EQ(platform.clipboard, "s3cr3t");
}
