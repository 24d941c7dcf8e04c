// The buttons and the mode after every operation of the main window's model, row by row.
#include "AccountBookFixture.h"

#include <functional>

namespace {

class AccountBookButtonStates : public AccountBookFixture
{
protected:
    // A fresh model on a fresh folder holding three accounts.
    void reopen()
    {
        book = nullptr;
        restock(ButtonStateAccounts());
        open();
        forgetMessages();
        platform.urls.clear();
    }
    void go(const std::string& name) { lookUp(name); }
};

} // namespace

TEST_F(AccountBookButtonStates, EveryOperationLeavesTheStateOfTheTable)
{
    using Step = std::function<void()>;
    struct Row
    {
        const char* after;
        Step setup;
        Step action;
        const char* expected; // GO Add Change Cancel Delete Mode
    };
    const Step nothing = [] {};
    auto click = [](Result r) { ASSERT_FALSE(r.mustEnd()); };
    const Row rows[] = {
        {"Start-up", nothing, nothing, "1 0 0 0 0 D"},
        {"Combo text changed, nothing on display", [&] { typeInto(Box::UserId, "x"); }, [&] { type("Ne"); },
         "1 1 0 1 0 -"},
        {"Combo text changed, a record on display", [&] { go("Bank"); }, [&] { type("Bankx"); }, "1 1 1 1 0 -"},
        {"Key in the combo box",
         [&] {
             go("Bank");
             typeInto(Box::UserId, "x");
         },
         [&] { book->keyInName(false); }, "1 - - - - -"},
        {"List opened",
         [&] {
             go("Bank");
             typeInto(Box::UserId, "x");
         },
         [&] { book->openNameList(); }, "1 - - - - -"},
        {"Box text changed", [&] { go("Bank"); }, [&] { typeInto(Box::Notes, "x"); }, "0 1 1 1 0 E"},
        {"Double-click on a box", [&] { go("Bank"); }, [&] { book->enterEditMode(); }, "- 1 1 1 0 E"},
        {"Successful lookup", [&] { typeInto(Box::UserId, "x"); }, [&] { go("Mail"); }, "1 0 0 0 1 D"},
        {"Failed lookup, a box held text", [&] { go("Bank"); }, [&] { go("Nobody"); }, "1 0 0 0 0 E"},
        {"Failed lookup, the boxes were empty", nothing, [&] { go("Nobody"); }, "1 0 0 0 0 -"},
        {"Add refused: no name",
         [&] {
             type("");
             typeInto(Box::UserId, "x");
         },
         [&] { click(book->addAccount()); }, "- - - - - -"},
        {"Add refused: the header's name, taken",
         [&] {
             typeExactName(kHeaderMarker);
             typeInto(Box::UserId, "x");
         },
         [&] { click(book->addAccount()); }, "- 0 - - - -"},
        {"Add refused: duplicate",
         [&] {
             type("Bank");
             typeInto(Box::UserId, "x");
         },
         [&] { click(book->addAccount()); }, "- 0 - - - -"},
        {"Add done",
         [&] {
             type("Shop");
             typeInto(Box::UserId, "x");
         },
         [&] { click(book->addAccount()); }, "1 0 0 0 1 D"},
        {"Change with nothing on display",
         [&] {
             type("Shop");
             typeInto(Box::UserId, "x");
         },
         [&] { click(book->changeAccount()); }, "- - - - - -"},
        {"Change with all fields empty",
         [&] {
             go("Empty");
             typeInto(Box::UserId, "x");
             edit(Box::UserId, "");
             type("");
         },
         [&] { click(book->changeAccount()); }, "1 0 0 0 0 -"},
        {"Change with empty name",
         [&] {
             go("Bank");
             typeInto(Box::UserId, "x");
             type("");
         },
         [&] { click(book->changeAccount()); }, "- - - - 1 D"},
        {"Change refused: the placeholder as name",
         [&] {
             go("Bank");
             typeInto(Box::UserId, "x");
             typeExactName(AccountBook::kPlaceholder);
         },
         [&] { click(book->changeAccount()); }, "- - - - - -"},
        {"Change refused: the header's name",
         [&] {
             go("Bank");
             typeInto(Box::UserId, "x");
             typeExactName(kHeaderMarker);
         },
         [&] { click(book->changeAccount()); }, "- - - - - -"},
        {"Change done",
         [&] {
             go("Bank");
             typeInto(Box::UserId, "x");
         },
         [&] { click(book->changeAccount()); }, "1 0 0 0 1 D"},
        {"Delete, Yes, record on display", [&] { go("Bank"); },
         [&] {
             platform.queueAnswer(Answer::Yes);
             click(book->deleteAccount());
         },
         "1 0 0 0 0 E"},
        {"Delete, No", [&] { go("Bank"); },
         [&] {
             platform.queueAnswer(Answer::No);
             click(book->deleteAccount());
         },
         "- 0 0 0 0 E"},
        {"Delete, Yes, nothing on display",
         [&] {
             type("x");
             book->cancelEdit();
             typeInto(Box::Notes, "n");
         },
         [&] {
             platform.queueAnswer(Answer::Yes);
             click(book->deleteAccount());
         },
         "- 0 0 0 0 E"},
        {"Cancel, record on display",
         [&] {
             go("Bank");
             typeInto(Box::UserId, "x");
         },
         [&] { book->cancelEdit(); }, "1 0 0 0 1 D"},
        {"Cancel, nothing on display",
         [&] {
             type("Draft");
             typeInto(Box::UserId, "x");
         },
         [&] { book->cancelEdit(); }, "1 0 0 0 1 D"},
        {"New, a box held text", [&] { go("Bank"); }, [&] { book->newAccount(); }, "1 0 0 0 0 E"},
        {"New, every box empty", nothing, [&] { book->newAccount(); }, "1 0 0 0 0 -"},
    };

    for (const Row& row : rows) {
        SCOPED_TRACE(row.after);
        reopen();
        row.setup();
        const ButtonSnapshot before = snapshot();
        row.action();
        ExpectButtonState(row.expected, before, snapshot());
        // The options file follows the mode.
        EXPECT_EQ(storedOptions().get(OptionsRecord::DragDropMode), book->dragDrop() ? "true" : "false");
    }
}
