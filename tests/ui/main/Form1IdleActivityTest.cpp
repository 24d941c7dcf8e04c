#include "../login/LoginFixture.h"

#include "ui/login/frmChangeLogin.h"
#include "ui/login/frmLocked.h"

#include <QAction>

#include <functional>

namespace {

// Which operations count as user activity for the idle lock: each either sets IdleTickCount back to 0 or
// leaves it alone.
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

TEST_F(IdleActivity, WindowOptionsLockAndMasks)
{
    storeEarlierRun("", "", "");
    openMain();
    auto trigger = [](const char* item) {
        return [item](Form1& f) { f.findChild<QAction*>(QString::fromLatin1(item))->trigger(); };
    };
    const Operation operations[] = {
        {"Always on Top", true, trigger("OnTop")},
        {"Security ON", true, trigger("sec_on")},
        {"About", true, trigger("About")},
        {"Mask Notes", true, trigger("Command1")},
        {"Mask Username", true, trigger("MaskUser")},
        {"Mask Password", true, trigger("MaskPwd")},
        {"Login Settings, once closed", true,
         [](Form1& f) {
             f.Login_Click();
             f.findChild<frmChangeLogin*>()->cmdCancel_Click();
         }},
        {"Show ToolTips", false, trigger("mnuTooltips")},
        {"Security OFF", false, trigger("sec_off")},
        {"Mask All", false, trigger("mask_all")},
        {"Mask None", false, trigger("mask_none")},
        {"Drag/ Drop Mode", false, trigger("LoginSelect")},
        {"Lock Now", false, trigger("Lock")},
        {"OK on the lock screen", true,
         [](Form1& f) {
             f.lockScreen()->Command1_Click();
             f.lockScreen()->cmdOK_Click();
         }},
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
