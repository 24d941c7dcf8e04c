#include "../login/LoginFixture.h"

#include "ui/login/frmChangeLogin.h"

#include <QAction>

#include <functional>

namespace {

// Which of the window's own operations count as user activity for the idle lock: each either sets IdleTickCount
// back to 0 or leaves it alone. (The book's and the session's operations are checked on the model:
// AccountBookActivityTest, SessionTest.)
class IdleActivity : public LoginFixture
{
protected:
    struct Operation
    {
        const char* name;
        bool activity;
        std::function<void(Form1&)> run;
    };

    void check(const Operation& op)
    {
        SCOPED_TRACE(op.name);
        state().IdleTickCount = 7;
        op.run(*main);
        EXPECT_EQ(state().IdleTickCount, op.activity ? 0 : 7);
    }
};

TEST_F(IdleActivity, AboutAndLoginSettings)
{
    storeEarlierRun("", "", "");
    openMain();
    auto trigger = [](const char* item) {
        return [item](Form1& f) { f.findChild<QAction*>(QString::fromLatin1(item))->trigger(); };
    };
    const Operation operations[] = {
        {"About", true, trigger("About")},
        {"Login Settings, once closed", true,
         [](Form1& f) {
             f.Login_Click();
             f.findChild<frmChangeLogin*>()->cmdCancel_Click();
         }},
        {"Show ToolTips", false, trigger("mnuTooltips")}, // a menu item that leaves the count alone
    };
    for (const Operation& op : operations) {
        check(op);
        main->showNormal();
    }
    platform().messages.clear();
}

TEST_F(IdleActivity, TheWindowsStartAndEverySave)
{
    storeEarlierRun("", "", "");
    state().IdleTickCount = 9;
    openMain();
    EXPECT_EQ(state().IdleTickCount, 0);
    check({"save", true, [](Form1& f) { EXPECT_FALSE(f.SaveToFile().mustEnd()); }});
    platform().messages.clear();
}

} // namespace
