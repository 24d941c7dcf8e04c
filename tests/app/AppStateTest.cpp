#include "app/AppState.h"
#include "app/Login.h"
#include "app/files/AccountRecord.h"

#include "FakePlatform.h"

#include <gtest/gtest.h>

#include <type_traits>

// The secrets of the run are held in the type that wipes itself; names and websites are not secrets.
static_assert(std::is_same_v<decltype(Login::LoginUserName), SecretString>);
static_assert(std::is_same_v<decltype(Login::LoginPassword1), SecretString>);
static_assert(std::is_same_v<decltype(Login::LoginPassword2), SecretString>);
static_assert(std::is_same_v<decltype(AccountRecord::Notes), SecretString>);
static_assert(std::is_same_v<decltype(AccountRecord::UserId), SecretString>);
static_assert(std::is_same_v<decltype(AccountRecord::Password), SecretString>);

TEST(AppState, IdleCountSaturatesInsteadOfOverflowing)
{
    FakePlatform platform;
    AppState state("/nowhere", platform);
    for (int i = 0; i < 40000; ++i)
        state.tickIdle();
    EXPECT_EQ(state.IdleTickCount, INT16_MAX);
    state.resetIdle();
    EXPECT_EQ(state.IdleTickCount, 0);
}

TEST(Login, IsAskedWhenAnySettingIsSet)
{
    Login login;
    EXPECT_FALSE(login.hasLogin());
    login.LoginPassword2 = "12";
    EXPECT_TRUE(login.hasLogin());
}
