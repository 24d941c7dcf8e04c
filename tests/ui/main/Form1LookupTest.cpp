#include "MainWindowFixture.h"

#include <QTest>

class Form1Lookup : public MainWindowFixture
{
};

TEST_F(Form1Lookup, StartsWithThePlaceholderAndOnlyGoEnabled)
{
    storeNames({"Bank", "Mail"});
    openWindow();
    EXPECT_EQ(comboText().toStdString(), Form1::kPlaceholder);
    EXPECT_TRUE(button("cmdGo")->isEnabled());
    EXPECT_FALSE(button("Add_Account")->isEnabled());
}
