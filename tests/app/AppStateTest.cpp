#include "app/AppState.h"

#include "FakePlatform.h"

#include <gtest/gtest.h>

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

TEST(AppState, LoginIsAskedWhenAnySettingIsSet)
{
    FakePlatform platform;
    AppState state("/nowhere", platform);
    EXPECT_FALSE(state.hasLogin());
    state.LoginPassword2 = "12";
    EXPECT_TRUE(state.hasLogin());
}
