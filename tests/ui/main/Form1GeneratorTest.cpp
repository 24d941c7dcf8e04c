// "Generate Password" from the menu: the password box and the buttons show what the model did. (The rules are
// checked on the model: tests/app/model/AccountBookGeneratorTest.cpp.)
#include "MainWindowFixture.h"

#include <regex>

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
    // The password offered by the question, checked against the question's exact shape.
    std::string offered(const std::string& question)
    {
        static const std::regex shape("Your new password for this account is: \r\n([A-Za-z0-9]{10})\\.   Keep "
                                      "this password\\?");
        std::smatch m;
        EXPECT_TRUE(std::regex_match(question, m, shape)) << question;
        return m.size() > 1 ? m[1].str() : std::string();
    }
};

} // namespace

TEST_F(Form1Generator, YesChangesTheAccountOnDisplay)
{
    lookUp("Alpha");
    typeInto("txtGeneral", "+");
    platform.queueAnswer(Answer::Yes);
    generate();
    ASSERT_EQ(platform.messages.size(), 2u);
    const std::string password = offered(platform.messages[0].text);
    EXPECT_EQ(platform.messages[1].text, kSaved);
    EXPECT_EQ(box("txtPassword")->text().toStdString(), password);
    const AccountTable table = storedTable();
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[1].Password, password);
    EXPECT_EQ(table[1].Notes, "n+"); // saved with whatever the other boxes hold
    EXPECT_TRUE(menuItem("LoginSelect")->isChecked());
    EXPECT_TRUE(button("cmdDelete")->isEnabled());
}
