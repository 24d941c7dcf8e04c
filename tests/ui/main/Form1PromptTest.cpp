// What the window shows while a question or message is open in the middle of an operation: the state as the
// operation has left it so far, exactly as if it had been written against the widgets.
#include "MainWindowFixture.h"

#include <QAccessible>

#include <functional>

namespace {

const char* const kPrefixQuestion = "'http://' will be added to your URL.  Accept?   ";
const char* const kSaved = "Settings have been saved successfully.";

// The account name, lblID and the four boxes, as a screen reader reads them ("*" for a masked box).
struct Shown
{
    std::string combo, id, website, notes, user, password;
    bool operator==(const Shown&) const = default;
};

void PrintTo(const Shown& s, std::ostream* out)
{
    *out << "{" << s.combo << " | " << s.id << " | " << s.website << " | " << s.notes << " | " << s.user << " | "
         << s.password << "}";
}

class Form1Prompt : public MainWindowFixture
{
protected:
    std::string read(QWidget* w)
    {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        return a ? a->text(QAccessible::Value).toStdString() : "?";
    }
    Shown shown()
    {
        return {read(combo()->lineEdit()), label("lblID").toStdString(), read(box("txtWebsite")),
                read(box("txtGeneral")),   read(box("txtUserid")),       read(box("txtPassword"))};
    }
};

} // namespace

TEST_F(Form1Prompt, TheWindowIsCurrentBehindEveryPrompt)
{
    const Shown alpha{"Alpha", "1", "alpha.example", "branch 4", "me@alpha", "s3cret"};
    struct Case
    {
        const char* name;
        std::function<void()> operation; // ends with the click whose prompt is looked at
        const char* prompt;
        std::vector<Answer> answers;
        Shown atPrompt;
    };
    const Case cases[] = {
        {"GO: the fields and the number are there before the prefix question",
         [&] { lookUp("Alpha"); },
         kPrefixQuestion,
         {Answer::No},
         alpha},
        {"Delete: its question finds the record on display",
         [&] {
             QTest::keyClick(button("cmdGo"), Qt::Key_Shift, Qt::ShiftModifier);
             lookUp("Alpha");
             click("cmdDelete");
         },
         "Delete record?",
         {Answer::No},
         alpha},
        {"Delete: the save's message comes after the list, before the fields are emptied",
         [&] {
             QTest::keyClick(button("cmdGo"), Qt::Key_Shift, Qt::ShiftModifier);
             lookUp("Alpha");
             click("cmdDelete");
         },
         kSaved,
         {Answer::Yes},
         {"", "1", "alpha.example", "branch 4", "me@alpha", "s3cret"}},
        {"Add: the new record's number is there when the save is told",
         [&] {
             click("cmdCancel");
             clearCombo();
             typeInCombo("Beta");
             typeInto("txtUserid", "b");
             click("Add_Account");
         },
         kSaved,
         {},
         {"Beta", "2", "", "", "b", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        restock({account("Alpha", "alpha.example", "branch 4", "me@alpha", "s3cret")});
        openWindow();
        menuItem("mask_none")->trigger();
        forgetMessages();
        for (Answer a : c.answers)
            platform.queueAnswer(a);
        std::optional<Shown> atPrompt;
        platform.whilePromptOpen = [&](const std::string& prompt) {
            if (prompt == c.prompt && !atPrompt)
                atPrompt = shown();
        };
        c.operation();
        platform.whilePromptOpen = nullptr;
        ASSERT_TRUE(atPrompt.has_value());
        EXPECT_EQ(*atPrompt, c.atPrompt);
    }
}
