// The buttons and the mode after every operation of the main window, row by row.
#include "MainWindowFixture.h"

#include <QTest>

#include <filesystem>
#include <functional>
#include <sstream>

namespace {

struct Snapshot
{
    bool go, add, change, cancel, del, dragDrop;
};

class Form1ButtonStates : public MainWindowFixture
{
protected:
    Snapshot snapshot()
    {
        return {button("cmdGo")->isEnabled(),     button("Add_Account")->isEnabled(),
                button("cmdChange")->isEnabled(), button("cmdCancel")->isEnabled(),
                button("cmdDelete")->isEnabled(), menuItem("LoginSelect")->isChecked()};
    }

    // A fresh window on a fresh folder holding three accounts.
    void reopen()
    {
        form.reset();
        platform.checkNothingLeft();
        for (const auto& entry : std::filesystem::directory_iterator(folder.str()))
            std::filesystem::remove(entry.path());
        storeAccounts({account("Bank", "http://bank.example"), account("Mail", "http://mail.example"),
                       account("Empty")});
        openWindow();
        forgetMessages();
        platform.urls.clear();
    }

    void typeExactName(const QString& name)
    {
        clearCombo();
        typeInCombo("#" + name);
        QTest::keyClick(combo()->lineEdit(), Qt::Key_Home);
        QTest::keyClick(combo()->lineEdit(), Qt::Key_Delete);
    }
};

// "1"/"0" = on/off, "-" = as before; the mode "D" (Drag/Drop), "E" (Edit) or "-".
void expectState(const char* expected, const Snapshot& before, const Snapshot& after)
{
    std::istringstream in(expected);
    const char* names[] = {"GO", "Add", "Change", "Cancel", "Delete", "Mode"};
    const bool Snapshot::*fields[] = {&Snapshot::go,     &Snapshot::add, &Snapshot::change,
                                      &Snapshot::cancel, &Snapshot::del, &Snapshot::dragDrop};
    for (int i = 0; i < 6; ++i) {
        std::string token;
        in >> token;
        const bool want = token == "-" ? before.*fields[i] : (token == "1" || token == "D");
        EXPECT_EQ(after.*fields[i], want) << names[i] << " (expected " << token << ")";
    }
}

} // namespace

TEST_F(Form1ButtonStates, EveryOperationLeavesTheStateOfTheTable)
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
    const Row rows[] = {
        {"Start-up", nothing, nothing, "1 0 0 0 0 D"},
        {"Combo text changed, nothing on display", [&] { typeInto("txtUserid", "x"); },
         [&] { typeInCombo("Ne"); }, "1 1 0 1 0 -"},
        {"Combo text changed, a record on display", [&] { lookUp("Bank"); }, [&] { typeInCombo("x"); },
         "1 1 1 1 0 -"},
        {"Key in the combo box", [&] { lookUp("Bank"); typeInto("txtUserid", "x"); },
         [&] { QTest::keyClick(combo()->lineEdit(), Qt::Key_Left); }, "1 - - - - -"},
        {"List opened", [&] { lookUp("Bank"); typeInto("txtUserid", "x"); },
         [&] { combo()->showPopup(); combo()->hidePopup(); }, "1 - - - - -"},
        {"Box text changed", [&] { lookUp("Bank"); }, [&] { typeInto("txtGeneral", "x"); }, "0 1 1 1 0 E"},
        {"Double-click on a box", [&] { lookUp("Bank"); },
         [&] { QTest::mouseDClick(box("txtGeneral"), Qt::LeftButton); }, "- 1 1 1 0 E"},
        {"Successful lookup", [&] { typeInto("txtUserid", "x"); }, [&] { lookUp("Mail"); }, "1 0 0 0 1 D"},
        {"Failed lookup, a box held text", [&] { lookUp("Bank"); }, [&] { lookUp("Nobody"); }, "1 0 0 0 0 E"},
        {"Failed lookup, the boxes were empty", nothing, [&] { lookUp("Nobody"); }, "1 0 0 0 0 -"},
        {"Add refused: no name", [&] { clearCombo(); typeInto("txtUserid", "x"); }, [&] { click("Add_Account"); },
         "- - - - - -"},
        {"Add refused: the header's name", [&] { typeExactName(kHeaderMarker); typeInto("txtUserid", "x"); },
         [&] { click("Add_Account"); }, "- - - - - -"},
        {"Add refused: duplicate", [&] { clearCombo(); typeInCombo("Bank"); typeInto("txtUserid", "x"); },
         [&] { click("Add_Account"); }, "- 0 - - - -"},
        {"Add done", [&] { clearCombo(); typeInCombo("Shop"); typeInto("txtUserid", "x"); },
         [&] { click("Add_Account"); }, "1 0 0 0 1 D"},
        {"Change with nothing on display", [&] { clearCombo(); typeInCombo("Shop"); typeInto("txtUserid", "x"); },
         [&] { click("cmdChange"); }, "- - - - - -"},
        {"Change with all fields empty",
         [&] {
             lookUp("Empty"); typeInto("txtUserid", "x");
             QTest::keyClick(box("txtUserid"), Qt::Key_Backspace);
             clearCombo();
         },
         [&] { click("cmdChange"); }, "1 0 0 0 0 -"},
        {"Change with empty name", [&] { lookUp("Bank"); typeInto("txtUserid", "x"); clearCombo(); },
         [&] { click("cmdChange"); }, "- - - - 1 D"},
        {"Change refused: the placeholder as name",
         [&] { lookUp("Bank"); typeInto("txtUserid", "x"), typeExactName(Form1::kPlaceholder); },
         [&] { click("cmdChange"); }, "- - - - - -"},
        {"Change done", [&] { lookUp("Bank"); typeInto("txtUserid", "x"); }, [&] { click("cmdChange"); },
         "1 0 0 0 1 D"},
        {"Delete, Yes, record on display", [&] { lookUp("Bank"); },
         [&] { platform.queueAnswer(Answer::Yes); click("cmdDelete"); }, "1 0 0 0 0 E"},
        {"Delete, No", [&] { lookUp("Bank"); }, [&] { platform.queueAnswer(Answer::No); click("cmdDelete"); },
         "- 0 0 0 0 E"},
        {"Delete, Yes, nothing on display",
         [&] { clearCombo(); typeInCombo("x"); click("cmdCancel"); button("cmdGo")->setEnabled(false); },
         [&] { platform.queueAnswer(Answer::Yes); click("cmdDelete"); }, "- 0 0 0 0 E"},
        {"Cancel, record on display", [&] { lookUp("Bank"); typeInto("txtUserid", "x"); },
         [&] { click("cmdCancel"); }, "1 0 0 0 1 D"},
        {"Cancel, nothing on display", [&] { clearCombo(); typeInCombo("Draft"); typeInto("txtUserid", "x"); },
         [&] { click("cmdCancel"); }, "1 0 0 0 1 D"},
        {"New, a box held text", [&] { lookUp("Bank"); }, [&] { menuItem("New")->trigger(); }, "1 0 0 0 0 E"},
        {"New, every box empty", nothing, [&] { menuItem("New")->trigger(); }, "1 0 0 0 0 -"},
    };

    for (const Row& row : rows) {
        SCOPED_TRACE(row.after);
        reopen();
        row.setup();
        const Snapshot before = snapshot();
        row.action();
        expectState(row.expected, before, snapshot());
        // The mode label and the options file follow the mode.
        const bool dragDrop = menuItem("LoginSelect")->isChecked();
        EXPECT_EQ(label("lblMode"), dragDrop ? " Drag/Drop Mode" : " Edit Mode");
        EXPECT_EQ(storedOptions().get(OptionsRecord::DragDropMode), dragDrop ? "true" : "false");
    }
}
