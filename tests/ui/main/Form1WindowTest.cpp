#include "../login/LoginFixture.h"

#include "ui/login/frmChangeLogin.h"
#include "ui/login/frmLocked.h"
#include "ui/main/Form1Texts.h"
#include "ui/main/frmAbout.h"

#include <QAction>
#include <QLabel>
#include <QTest>
#include <QTimer>

namespace {

class WindowOptions : public LoginFixture
{
protected:
    QAction* item(const char* name) { return child<QAction>(main.get(), name); }

    std::string storedOption(OptionsRecord::Field field)
    {
        OptionsRecord stored;
        EXPECT_TRUE(ReadOptionsFile(folder.str(), stored).value);
        return stored.get(field);
    }

    frmAbout* aboutBox()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* a = qobject_cast<frmAbout*>(w); a && a->isVisible())
                return a;
        return nullptr;
    }
};

TEST_F(WindowOptions, AlwaysOnTopTwiceReturnsToTheStart)
{
    openMain();
    ASSERT_TRUE(item("OnTop")->isChecked()); // the default options keep the window on top
    platform().topmostModes.clear();

    state().IdleTickCount = 4;
    item("OnTop")->trigger();
    EXPECT_FALSE(item("OnTop")->isChecked());
    EXPECT_EQ(storedOption(OptionsRecord::AlwaysOnTop), "false");
    EXPECT_EQ(platform().topmostModes, std::vector<int>{0});
    EXPECT_EQ(state().IdleTickCount, 0);

    item("OnTop")->trigger();
    EXPECT_TRUE(item("OnTop")->isChecked());
    EXPECT_EQ(storedOption(OptionsRecord::AlwaysOnTop), "true");
    EXPECT_EQ(platform().topmostModes, (std::vector<int>{0, 1}));
    EXPECT_TRUE(main->isVisible());
}

TEST_F(WindowOptions, AlwaysOnTopKeepsValuesChangedOnDisk)
{
    openMain();
    OptionsRecord changed;
    ASSERT_TRUE(ReadOptionsFile(folder.str(), changed).value);
    changed.set(OptionsRecord::MaskNotes, "true");
    ASSERT_TRUE(WriteOptionsFile(folder.str(), changed).isOk());
    item("OnTop")->trigger();
    EXPECT_EQ(storedOption(OptionsRecord::MaskNotes), "true");
    EXPECT_EQ(storedOption(OptionsRecord::AlwaysOnTop), "false");
}

TEST_F(WindowOptions, ShowToolTipsSwitchesEveryTip)
{
    openMain();
    const std::pair<const char*, const char*> tips[] = {
        {"cboSelect", kTipSelect},      {"cmdGo", kTipGo},
        {"cmdCopy1", kTipCopy1},        {"cmdCopy2", kTipCopy2},
        {"cmdCopy3", kTipCopy3},        {"cmdCopy4", kTipCopy4},
        {"Add_Account", kTipAdd},       {"cmdChange", kTipChange},
        {"cmdCancel", kTipCancel},      {"cmdDelete", kTipDelete},
        {"txtPassword", kTipDragFirst}, {"txtUserid", kTipDragFirst},
        {"txtGeneral", kTipEditFirst},  {"txtWebsite", kTipEditFirst},
    };
    ASSERT_TRUE(item("mnuTooltips")->isChecked());
    state().IdleTickCount = 6;

    item("mnuTooltips")->trigger();
    EXPECT_FALSE(item("mnuTooltips")->isChecked());
    for (const auto& [name, text] : tips)
        EXPECT_EQ(child<QWidget>(main.get(), name)->toolTip(), QString()) << name;
    EXPECT_EQ(storedOption(OptionsRecord::ShowToolTips), "false");
    EXPECT_EQ(state().IdleTickCount, 6); // not activity

    item("mnuTooltips")->trigger();
    EXPECT_TRUE(item("mnuTooltips")->isChecked());
    for (const auto& [name, text] : tips)
        EXPECT_EQ(child<QWidget>(main.get(), name)->toolTip(), QString::fromUtf8(text)) << name;
    EXPECT_EQ(child<QWidget>(main.get(), "txtPassword")->toolTip(),
              QStringLiteral("Drag & drop to another window, or double-click this field to edit."));
    EXPECT_EQ(storedOption(OptionsRecord::ShowToolTips), "true");
}

TEST_F(WindowOptions, ShowToolTipsCreatesAMissingOptionsFile)
{
    openMain();
    ASSERT_TRUE(RemoveFile(folder.file(kOptionsFileName)));
    item("mnuTooltips")->trigger();
    ASSERT_TRUE(folder.exists(kOptionsFileName));
    EXPECT_EQ(storedOption(OptionsRecord::ShowToolTips), "false");
    EXPECT_EQ(storedOption(OptionsRecord::DragDropMode), "true"); // from the window's own copy
}

TEST_F(WindowOptions, SecurityOffStopsTheIdleTimerAndOnStartsIt)
{
    openMain();
    ASSERT_TRUE(item("sec_on")->isChecked());
    ASSERT_FALSE(item("sec_off")->isChecked());
    ASSERT_TRUE(main->idleTimer()->isActive());
    EXPECT_EQ(main->idleTimer()->interval(), 60000);
    const std::string optionsBefore = folder.read(kOptionsFileName);

    for (int twice = 0; twice < 2; ++twice) {
        item("sec_off")->trigger();
        EXPECT_TRUE(item("sec_off")->isChecked());
        EXPECT_FALSE(item("sec_on")->isChecked());
        EXPECT_FALSE(main->idleTimer()->isActive());
    }
    for (int twice = 0; twice < 2; ++twice) {
        item("sec_on")->trigger();
        EXPECT_FALSE(item("sec_off")->isChecked());
        EXPECT_TRUE(item("sec_on")->isChecked());
        EXPECT_TRUE(main->idleTimer()->isActive());
    }
    EXPECT_EQ(folder.read(kOptionsFileName), optionsBefore); // nothing stored
}

TEST_F(WindowOptions, UnlockingRestartsTheTimerButKeepsSecurityOff)
{
    storeEarlierRun("", "", "");
    openMain();
    main->sec_off_Click();
    main->Lock_Click();
    main->lockScreen()->Command1_Click();
    main->lockScreen()->cmdOK_Click(); // no login: the empty box unlocks
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(item("sec_off")->isChecked());
    EXPECT_FALSE(item("sec_on")->isChecked());
    EXPECT_TRUE(main->idleTimer()->isActive());
}

TEST_F(WindowOptions, LoginSettingsOpensTheModalDialog)
{
    openMain();
    state().IdleTickCount = 8;
    item("Login")->trigger();
    auto* dialog = main->findChild<frmChangeLogin*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(state().IdleTickCount, 8); // reset when it closes
    dialog->cmdCancel_Click();
    EXPECT_EQ(state().IdleTickCount, 0);
}

TEST_F(WindowOptions, AboutMinimizesTheMainWindow)
{
    openMain();
    state().IdleTickCount = 2;
    item("About")->trigger();
    EXPECT_TRUE(main->isMinimized());
    frmAbout* about = aboutBox();
    ASSERT_NE(about, nullptr);
    EXPECT_FALSE(about->isSplash());
    EXPECT_EQ(about->windowTitle(), QStringLiteral("About Coffernote"));
    EXPECT_EQ(child<QLabel>(about, "lblBuild")->text(), QStringLiteral("Build " COFFERNOTE_VERSION));
    EXPECT_FALSE(child<QPushButton>(about, "cmdOK")->isHidden());
    EXPECT_EQ(state().IdleTickCount, 0);
    about->cmdOK_Click();
    EXPECT_FALSE(main->isMinimized());
    EXPECT_FALSE(about->isVisible());
    // Again: the About box opens again.
    main->About_Click();
    EXPECT_EQ(aboutBox(), about);
}

TEST_F(WindowOptions, ExitClearsTheClipboardAndEndsOnce)
{
    storeEarlierRun("Alice", "Secret", "4711");
    login().LoginUserName = "Alice";
    login().LoginPassword1 = "Secret";
    login().LoginPassword2 = "4711";
    openMain();
    EXPECT_EQ(item("Exit")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    main->About_Click();
    main->Login_Click();
    auto* dialog = main->findChild<frmChangeLogin*>();
    platform().setClipboardText("a password");
    const std::string accounts = folder.read(kAccountFileName);

    item("Exit")->trigger();
    EXPECT_FALSE(platform().clipboardHasText);
    EXPECT_EQ(platform().endCount, 1);
    EXPECT_EQ(platform().endStatus, 0);
    EXPECT_TRUE(dialog->isHidden());
    EXPECT_EQ(aboutBox(), nullptr);
    EXPECT_TRUE(platform().messages.empty()); // nothing is saved on the way out
    EXPECT_EQ(folder.read(kAccountFileName), accounts);
    // The login settings and the accounts' secrets are wiped before the end.
    EXPECT_FALSE(login().hasLogin());
    for (const AccountRecord& r : main->book().table())
        EXPECT_TRUE(r.Password.empty() && r.UserId.empty() && r.Notes.empty());
}

TEST_F(WindowOptions, ExitFromBehindAnUsedLockScreenEndsOnce)
{
    storeEarlierRun("", "", "");
    openMain();
    main->Lock_Click();
    main->lockScreen()->Command1_Click();
    main->lockScreen()->cmdOK_Click();
    platform().setClipboardText("copied");
    main->Exit_Click();
    EXPECT_EQ(platform().endCount, 1);
    EXPECT_FALSE(platform().clipboardHasText);
    EXPECT_FALSE(main->lockScreen()->isVisible());
}

TEST_F(WindowOptions, ClosingTheMainWindowEndsTheProgram)
{
    openMain();
    platform().setClipboardText("copied");
    main->close();
    EXPECT_EQ(platform().endCount, 1);
    EXPECT_EQ(platform().endStatus, 0);
    EXPECT_FALSE(platform().clipboardHasText);
}

} // namespace
