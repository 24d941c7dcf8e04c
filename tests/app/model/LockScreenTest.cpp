#include "CoreFixture.h"

#include "app/model/LockScreen.h"

namespace {

class LockScreenTest : public CoreFixture
{
protected:
    LockScreen lock{state, login};

    bool tryPassword(const std::string& typed) { return lock.tryPassword(SecretString(typed)); }
};

TEST_F(LockScreenTest, StagesAndWhenTheBoxIsEmptied)
{
    struct Step
    {
        const char* name;
        void (LockScreen::*operation)();
        LockScreen::Stage stage;
        bool boxEmptied;
        bool escapeExits; // Exit shows only in the entry stage
    };
    const Step steps[] = {
        {"lock", &LockScreen::lock, LockScreen::Stage::Idle, true, false},
        {"UNLOCK keeps what the box held", &LockScreen::askPassword, LockScreen::Stage::Entry, false, true},
        {"Cancel keeps the typed text", &LockScreen::cancelEntry, LockScreen::Stage::Idle, false, false},
        {"UNLOCK again", &LockScreen::askPassword, LockScreen::Stage::Entry, false, true},
        {"a lock closes the entry", &LockScreen::lock, LockScreen::Stage::Idle, true, false},
    };
    int revision = lock.revision();
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        (lock.*s.operation)();
        EXPECT_EQ(lock.stage(), s.stage);
        EXPECT_EQ(lock.boxEmptied(), s.boxEmptied);
        EXPECT_EQ(lock.escapeExits(), s.escapeExits);
        EXPECT_GT(lock.revision(), revision); // each step shows once
        revision = lock.revision();
    }
}

TEST_F(LockScreenTest, OnlyTheFirstPasswordUnlocksWithoutLimitOrMessage)
{
    login.LoginUserName = "Alice";
    login.LoginPassword1 = "Secret";
    login.LoginPassword2 = "4711";
    for (const std::string wrong : {"secret", "SECRET", "Secret ", "", "Secre", "Alice", "4711"}) {
        SCOPED_TRACE(wrong);
        lock.askPassword();
        state.IdleTickCount = 9;
        EXPECT_FALSE(tryPassword(wrong));
        EXPECT_EQ(lock.stage(), LockScreen::Stage::Idle);
        EXPECT_TRUE(lock.boxEmptied());
        EXPECT_EQ(state.IdleTickCount, 0);
    }
    state.IdleTickCount = 4;
    EXPECT_TRUE(tryPassword("Secret"));
    EXPECT_EQ(state.IdleTickCount, 0);
    EXPECT_TRUE(lock.boxEmptied());
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(LockScreenTest, WithoutALoginTheEmptyTextUnlocks)
{
    EXPECT_TRUE(tryPassword(""));
    EXPECT_FALSE(tryPassword(" "));
}

} // namespace
