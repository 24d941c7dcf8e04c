// The main window as it stands after its load.
// (The rules are checked on the model: tests/app/model/AccountBookLoadTest.cpp; these check the window.)
#include "MainWindowFixture.h"

#include "ui/main/FieldBox.h"
#include "ui/main/Form1.h"
#include "ui/main/frmAbout.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>

namespace {

const char* const kDefaultLine = "\"\",\"\",\"\",\"true\",\"false\",\"false\",\"true\",\"\",\"true\",\"true\"\r\n";

class Form1Load : public MainWindowFixture
{
protected:
    // The session's load and the window's load sequence, as the folder stands (no options file written first).
    void load()
    {
        ASSERT_EQ(outcome(session.load()), "Ok");
        form.reset();
        form =
            std::make_unique<Form1>(session, [this](ExitStatus exit) { platform.endProgram(static_cast<int>(exit)); });
        form->Form_Load();
    }

    template <typename T> T* child(const char* name) const
    {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QAction* action(const char* name) const { return child<QAction>(name); }
    bool enabled(const char* name) const { return child<QPushButton>(name)->isEnabled(); }
    QStringList listed() const
    {
        QStringList names;
        auto* combo = child<QComboBox>("cboSelect");
        for (int i = 0; i < combo->count(); ++i)
            names << combo->itemText(i);
        return names;
    }
};

TEST_F(Form1Load, FirstStartShowsAnEmptyListThePlaceholderAndOnlyGo)
{
    ASSERT_EQ(outcome(session.start()), "Main");
    load();
    EXPECT_EQ(form->windowTitle().toStdString(), "  Coffernote");
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_EQ(child<QComboBox>("cboSelect")->currentText().toStdString(), "< Select or type account here >");
    EXPECT_TRUE(child<QLabel>("lblID")->text().isEmpty());
    for (const char* box : {"txtWebsite", "txtGeneral", "txtUserid", "txtPassword"})
        EXPECT_TRUE(child<FieldBox>(box)->text().isEmpty()) << box;
    EXPECT_TRUE(enabled("cmdGo"));
    for (const char* b : {"Add_Account", "cmdChange", "cmdCancel", "cmdDelete"})
        EXPECT_FALSE(enabled(b)) << b;
    EXPECT_EQ(child<QLabel>("lblMode")->text().toStdString(), " Drag/Drop Mode");
    EXPECT_TRUE(action("LoginSelect")->isChecked());
    EXPECT_EQ(state.IdleTickCount, 0);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(Form1Load, TheFirstKeystrokeReplacesThePrompt)
{
    ASSERT_EQ(outcome(session.start()), "Main");
    storeNames({"Bank", "zeta"});
    load();
    form->show();
    auto* combo = child<QComboBox>("cboSelect");
    EXPECT_EQ(combo->lineEdit()->selectedText().toStdString(), "< Select or type account here >");
    EXPECT_EQ(combo->lineEdit()->cursorPosition(), 0); // the prompt shows from its start
    QTest::keyClicks(combo, QStringLiteral("ba"));
    EXPECT_EQ(combo->currentText().toStdString(), "Bank"); // typed over the prompt, then completed
}

TEST_F(Form1Load, OptionsDecideMasksTopmostAndToolTips)
{
    struct Case
    {
        const char* line;
        bool notes, user, password, onTop, tips;
    };
    const Case cases[] = {
        {kDefaultLine, false, false, true, true, true},
        // Every widget the other way round. (Which texts count as on or off is the model's rule.)
        {"\"\",\"\",\"\",\"true\",\"FALSE\",\"\",\"false\",\"\",\"TRUE\",\"false\"\r\n", true, true, false, false,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        writeOptions(c.line);
        platform.topmostModes.clear();
        load();
        EXPECT_EQ(child<FieldBox>("txtGeneral")->isMasked(), c.notes);
        EXPECT_EQ(child<FieldBox>("txtUserid")->isMasked(), c.user);
        EXPECT_EQ(child<FieldBox>("txtPassword")->isMasked(), c.password);
        EXPECT_FALSE(child<FieldBox>("txtWebsite")->isMasked());
        EXPECT_EQ(action("Command1")->isChecked(), c.notes);
        EXPECT_EQ(action("MaskUser")->isChecked(), c.user);
        EXPECT_EQ(action("MaskPwd")->isChecked(), c.password);
        EXPECT_EQ(action("OnTop")->isChecked(), c.onTop);
        ASSERT_FALSE(platform.topmostModes.empty());
        EXPECT_EQ(platform.topmostModes.back(), c.onTop ? 1 : 0);
        EXPECT_EQ(action("mnuTooltips")->isChecked(), c.tips);
        EXPECT_EQ(child<QPushButton>("cmdGo")->toolTip().isEmpty(), !c.tips);
        EXPECT_EQ(child<FieldBox>("txtPassword")->toolTip().isEmpty(), !c.tips);
    }
}

TEST_F(Form1Load, ToolTipsAreTheFourteenTexts)
{
    load();
    const std::pair<const char*, const char*> tips[] = {
        {"cboSelect", "Start here by typing in a new account name. Or to look up an existing account, select it "
                      "from the drop-down box."},
        {"cmdGo", "Click to pull up the account information for the account you selected in the drop-down box."},
        {"cmdCopy1", "Click to open your browser to the URL in the Website field."},
        {"cmdCopy2", "Click to copy text in the Notes field to the clipboard."},
        {"cmdCopy3", "Click to copy text in the User ID field to the clipboard."},
        {"cmdCopy4", "Click to copy text in the Password field to the clipboard."},
        {"Add_Account", "After entering data for a new account in the text fields, click here to save."},
        {"cmdChange", "After changing information in the text fields, click here to save your changes."},
        {"cmdCancel", "Click to cancel changes."},
        {"cmdDelete", "Click to delete the displayed account."},
        {"txtPassword", "Drag & drop to another window, or double-click this field to edit."},
        {"txtUserid", "Drag & drop to another window, or double-click this field to edit."},
        {"txtGeneral", "Double-click this field to edit, or drag & drop to another window."},
        {"txtWebsite", "Double-click this field to edit, or drag & drop to another window."},
    };
    for (const auto& [name, tip] : tips)
        EXPECT_EQ(child<QWidget>(name)->toolTip().toStdString(), tip) << name;
}

TEST_F(Form1Load, MenusHaveTheirItemsInOrderWithShortcutsAndMarks)
{
    load();
    // The captions as shown; every item carries an access key of its own within its menu.
    auto captions = [](QMenu* menu) {
        QStringList items;
        QSet<QKeySequence> keys;
        for (QAction* a : menu->actions()) {
            items << (a->isSeparator() ? QStringLiteral("-") : QString(a->text()).remove(u'&'));
            const QKeySequence key = QKeySequence::mnemonic(a->text());
            EXPECT_TRUE(a->isSeparator() || (!key.isEmpty() && !keys.contains(key))) << a->text().toStdString();
            keys.insert(key);
        }
        return items.join(u'|').toStdString();
    };
    const QList<QAction*> menus = form->menuBar()->actions();
    ASSERT_EQ(menus.size(), 4);
    EXPECT_EQ(menus[0]->menu()->title().remove(u'&').toStdString(), "File");
    EXPECT_EQ(menus[1]->menu()->title().toStdString(), "&View");
    EXPECT_EQ(menus[2]->menu()->title().toStdString(), "&Options");
    EXPECT_EQ(menus[3]->menu()->title().remove(u'&').toStdString(), "Help");
    EXPECT_EQ(captions(menus[0]->menu()),
              "New|Import|Import from Another Program...|Export|Restore an Earlier Version...|Login Settings|"
              "Clear Clipboard|Exit");
    EXPECT_EQ(captions(menus[1]->menu()), "Mask Notes|Mask Username|Mask Password|-|Mask All|Mask None");
    EXPECT_EQ(captions(menus[2]->menu()),
              "Always on Top|Generate Password|Drag/ Drop Mode|Show ToolTips|-|Lock Now|Security OFF|Security ON");
    EXPECT_EQ(captions(menus[3]->menu()), "Online Help|About");
    EXPECT_EQ(action("Exit")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    EXPECT_EQ(action("Lock")->shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));
    EXPECT_TRUE(action("sec_on")->isChecked());
    EXPECT_FALSE(action("sec_off")->isChecked());
}

TEST_F(Form1Load, ControlsCarryTheirCaptionsAndAccessibleNames)
{
    load();
    const std::pair<const char*, const char*> names[] = {
        {"cboSelect", "Account Name"}, {"txtWebsite", "Website"},   {"txtGeneral", "Notes"},
        {"txtUserid", "User ID"},      {"txtPassword", "Password"}, {"cmdGo", "GO"},
        {"cmdCopy1", "Open website"},  {"cmdCopy2", "Copy notes"},  {"cmdCopy3", "Copy user ID"},
        {"cmdCopy4", "Copy password"}, {"Add_Account", "Add"},      {"cmdChange", "Change"},
        {"cmdCancel", "Cancel"},       {"cmdDelete", "Delete"},     {"lblID", "ID"},
    };
    for (const auto& [name, accessible] : names)
        EXPECT_EQ(child<QWidget>(name)->accessibleName().toStdString(), accessible) << name;
    EXPECT_EQ(child<FieldBox>("txtWebsite")->maxLength(), 100);
    EXPECT_EQ(child<FieldBox>("txtGeneral")->maxLength(), 100);
    EXPECT_EQ(child<FieldBox>("txtUserid")->maxLength(), 50);
    EXPECT_EQ(child<FieldBox>("txtPassword")->maxLength(), 50);
}

TEST(frmAboutRoles, TheStartupSequenceMakesTheSplashOtherwiseTheAboutBox)
{
    int runs = 0;
    frmAbout splash([&runs] { ++runs; });
    splash.Form_Load();
    EXPECT_TRUE(splash.isSplash());
    EXPECT_TRUE(splash.timer()->isActive());
    EXPECT_EQ(splash.timer()->interval(), 1300);
    EXPECT_FALSE(splash.findChild<QPushButton*>(QStringLiteral("cmdOK"))->isVisibleTo(&splash));
    splash.Timer1_Timer();
    splash.Timer1_Timer();
    EXPECT_EQ(runs, 1);

    frmAbout box({});
    box.Form_Load();
    EXPECT_FALSE(box.isSplash());
    EXPECT_FALSE(box.timer()->isActive());
    EXPECT_TRUE(box.findChild<QPushButton*>(QStringLiteral("cmdOK"))->isVisibleTo(&box));
    box.Timer1_Timer();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(box.windowTitle().toStdString(), "About Coffernote");
}

} // namespace

namespace {

TEST(frmAboutRoles, NothingTheUserDoesClosesTheSplash)
{
    QWidget mainWindow;
    frmAbout splash([] {}, &mainWindow);
    splash.Form_Load();
    splash.show();
    splash.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&splash));
    EXPECT_EQ(splash.windowType(), Qt::SplashScreen); // no title bar, no close button
    QTest::keyClick(&splash, Qt::Key_Escape);
    EXPECT_TRUE(splash.isVisible());
    QTest::keyClick(&splash, Qt::Key_F4, Qt::AltModifier);
    EXPECT_FALSE(splash.close()); // the window manager's close, as Alt+F4 sends it
    EXPECT_TRUE(splash.isVisible());
    splash.unload(); // the start-up's own end of the splash
    EXPECT_FALSE(splash.isVisible());

    mainWindow.show();
    mainWindow.setWindowState(Qt::WindowMinimized);
    frmAbout box({}, &mainWindow);
    box.Form_Load();
    box.show();
    box.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
    QTest::keyClick(&box, Qt::Key_Escape);
    EXPECT_FALSE(box.isVisible());
    EXPECT_FALSE(mainWindow.windowState() & Qt::WindowMinimized);
}

} // namespace
