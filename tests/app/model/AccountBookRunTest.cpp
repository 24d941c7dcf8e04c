// The main window's model over a run: a save that must end the program, and the plain name order.
#include "AccountBookFixture.h"

#include "app/model/AccountBookNames.h"

#include <filesystem>
#include <functional>
#include <utility>

namespace {

class AccountBookRun : public AccountBookFixture
{
protected:
    // Changes the account file behind the program's back: the next save's stamp check asks the recovery
    // question.
    void damageAccountFile()
    {
        std::string file = folder.read("settings.dat");
        file[0] = file[0] == 'A' ? 'B' : 'A';
        folder.write("settings.dat", file);
    }
};

} // namespace

// Every operation that saves stops at once when the recovery question inside the save is answered No: it says
// so, and nothing after the save runs.
TEST_F(AccountBookRun, AnOperationWhoseSaveMustEndTheProgramSaysSoAndStops)
{
    auto no = [&] { platform.queueAnswer(Answer::No); }; // to the recovery question inside the save
    const std::vector<std::pair<const char*, std::function<Result()>>> operations = {
        {"Add",
         [&] {
             type("Shop");
             no();
             return book->addAccount();
         }},
        {"Change",
         [&] {
             lookUp("Alpha");
             typeInto(Box::UserId, "2");
             no();
             return book->changeAccount();
         }},
        {"Delete",
         [&] {
             lookUp("Alpha");
             platform.queueAnswer(Answer::Yes);
             no();
             return book->deleteAccount();
         }},
        {"website prefix",
         [&] {
             book->shiftOnGo(true);
             lookUp("Alpha");
             edit(Box::Website, "alpha.example");
             platform.queueAnswer(Answer::Yes);
             no();
             return book->openWebsite();
         }},
        {"save",
         [&] {
             no();
             return book->SaveToFile();
         }},
    };
    for (const auto& [name, operation] : operations) {
        SCOPED_TRACE(name);
        book = nullptr;
        std::filesystem::remove(folder.file("settings.dat"));
        storeNames({"Alpha"});
        open();
        forgetMessages();
        damageAccountFile();
        const std::string damaged = folder.read("settings.dat");
        const Result result = operation();
        EXPECT_TRUE(result.mustEnd());
        EXPECT_EQ(folder.read("settings.dat"), damaged);
        ASSERT_FALSE(platform.messages.empty());
        EXPECT_EQ(platform.messages.back().style, MsgQuestion); // nothing shown after the question
        platform.checkNothingLeft();
    }
}

TEST(AccountNames, ThePlainOrderIgnoresAsciiCaseAndCompletesInListOrder)
{
    AccountNames list(TextRules::plain());
    list.assign({"zoo", "Bank", "bank", "Apple", "BANKERS"});
    EXPECT_EQ(list.names(), (std::vector<std::string>{"Apple", "Bank", "bank", "BANKERS", "zoo"}));
    EXPECT_EQ(list.insert("BANK"), 3); // after the equal names
    const std::pair<const char*, int> cases[] = {
        {"b", 1}, {"bank", 2}, {"BANK", 3}, {"banke", 4}, {"Z", 5}, {"q", -1}, {"", 0},
    };
    for (const auto& [typed, row] : cases)
        EXPECT_EQ(list.completionFor(typed), row) << typed;
}
