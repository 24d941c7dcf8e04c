#include "CoreFixture.h"

#include "app/model/LockScreen.h"

namespace {

class LockScreenTest : public CoreFixture
{
protected:
    LockScreen lock{state};
};

TEST_F(LockScreenTest, StagesAndWhenTheBoxIsEmptied)
{
    lock.lock();
    EXPECT_EQ(lock.stage(), LockScreen::Stage::Idle);
    EXPECT_TRUE(lock.boxEmptied());
    EXPECT_FALSE(lock.escapeExits()); // Exit is hidden: Esc does nothing

    lock.Command1_Click();
    EXPECT_EQ(lock.stage(), LockScreen::Stage::Entry);
    EXPECT_FALSE(lock.boxEmptied()); // the box keeps what it held
    EXPECT_TRUE(lock.escapeExits());

    lock.cmdCancel_Click();
    EXPECT_EQ(lock.stage(), LockScreen::Stage::Idle);
    EXPECT_FALSE(lock.boxEmptied()); // Cancel keeps the typed text
}

TEST_F(LockScreenTest, OnlyTheFirstPasswordUnlocksWithoutLimitOrMessage)
{
    state.LoginUserName = "Alice";
    state.LoginPassword1 = "Secret";
    state.LoginPassword2 = "4711";
    for (const std::string wrong : {"secret", "SECRET", "Secret ", "", "Secre", "Alice", "4711"}) {
        SCOPED_TRACE(wrong);
        lock.Command1_Click();
        state.IdleTickCount = 9;
        EXPECT_FALSE(lock.cmdOK_Click(wrong));
        EXPECT_EQ(lock.stage(), LockScreen::Stage::Idle);
        EXPECT_TRUE(lock.boxEmptied());
        EXPECT_EQ(state.IdleTickCount, 0);
    }
    state.IdleTickCount = 4;
    EXPECT_TRUE(lock.cmdOK_Click("Secret"));
    EXPECT_EQ(state.IdleTickCount, 0);
    EXPECT_TRUE(lock.boxEmptied());
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(LockScreenTest, WithoutALoginTheEmptyTextUnlocks)
{
    EXPECT_TRUE(lock.cmdOK_Click(""));
    EXPECT_FALSE(lock.cmdOK_Click(" "));
}

TEST_F(LockScreenTest, ExitEndsTheProgramThroughTheCaller)
{
    EXPECT_TRUE(lock.cmdExit_Click().mustEnd());
    EXPECT_FALSE(platform.ended());
}

} // namespace
