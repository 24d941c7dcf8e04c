// "Generate Password" from the menu: the password box and the buttons show what the model did. (The rules are
// checked on the model: tests/app/model/AccountBookGeneratorTest.cpp.)
#include "MainWindowFixture.h"

namespace {

const char* const kSaved = "Settings have been saved successfully.";

class Form1Generator : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        storeAccounts({account("Alpha", "http://alpha.example", "n", "u", "old")});
        openWindow();
    }
    void generate() { menuItem("passwordGen")->trigger(); }
};

} // namespace

TEST_F(Form1Generator, YesChangesTheAccountOnDisplay)
{
    lookUp("Alpha");
    typeInto("txtGeneral", "+");
    platform.queueAnswer(Answer::Yes);
    generate();
    ASSERT_EQ(platform.messages.size(), 2u);
    const std::string password = OfferedPassword(platform.messages[0].text);
    EXPECT_EQ(platform.messages[1].text, kSaved);
    EXPECT_EQ(box("txtPassword")->text().toStdString(), password);
    const AccountTable table = storedTable();
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[1].Password, password);
    EXPECT_EQ(table[1].Notes, "n+"); // saved with whatever the other boxes hold
    EXPECT_TRUE(menuItem("LoginSelect")->isChecked());
    EXPECT_TRUE(button("cmdDelete")->isEnabled());
}
