// Masks, the Edit and Drag/Drop modes, accessibility and keyboard-only use of the main window.
// (The rules are checked on the model: tests/app/model/AccountBookModesTest.cpp; these check the window.)
#include "MainWindowFixture.h"

#include "ui/main/FieldBox.h"

#include <QAccessible>
#include <QAccessibleTextInterface>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QTest>

#include <chrono>
#include <filesystem>

namespace {

class Form1Modes : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        storeAccounts({account("Alpha", "http://alpha.example", "the notes", "alice", "s3cr3t")});
        openWindow();
        lookUp("Alpha");
        platform.urls.clear();
    }
    FieldBox* field(const char* name) { return find<FieldBox>(name); }
    bool dragDrop() { return menuItem("LoginSelect")->isChecked(); }
    std::string option(OptionsRecord::Field f) { return storedOptions().get(f); }
    QColor modeColour()
    {
        auto* l = find<QLabel>("lblMode");
        return l->grab().toImage().pixelColor(1, 1);
    }
};

} // namespace

TEST_F(Form1Modes, MasksShowStarsButKeepTheText)
{
    // The default options mask only the password.
    EXPECT_TRUE(field("txtPassword")->isMasked());
    EXPECT_EQ(field("txtPassword")->displayText(), "******");
    EXPECT_EQ(field("txtPassword")->text(), "s3cr3t");
    EXPECT_FALSE(field("txtUserid")->isMasked());
    EXPECT_FALSE(field("txtGeneral")->isMasked());
    EXPECT_TRUE(menuItem("MaskPwd")->isChecked());

    menuItem("mask_all")->trigger();
    for (const char* b : {"txtPassword", "txtUserid", "txtGeneral"}) {
        EXPECT_TRUE(field(b)->isMasked()) << b;
        EXPECT_EQ(field(b)->displayText(), QString(field(b)->text().size(), u'*')) << b;
    }
    EXPECT_FALSE(field("txtWebsite")->isMasked()); // never masked
    EXPECT_EQ(field("txtWebsite")->displayText(), "http://alpha.example");
    for (const char* item : {"MaskPwd", "MaskUser", "Command1"})
        EXPECT_TRUE(menuItem(item)->isChecked()) << item;
    EXPECT_EQ(option(OptionsRecord::MaskNotes), "true");
    EXPECT_EQ(option(OptionsRecord::MaskUserId), "true");
    EXPECT_EQ(option(OptionsRecord::MaskPassword), "true");

    // One toggle follows its box.
    menuItem("MaskPwd")->trigger();
    EXPECT_FALSE(field("txtPassword")->isMasked());
    EXPECT_FALSE(menuItem("MaskPwd")->isChecked());
    EXPECT_EQ(option(OptionsRecord::MaskPassword), "false");
    EXPECT_EQ(option(OptionsRecord::MaskUserId), "true");

    menuItem("mask_none")->trigger();
    for (const char* b : {"txtPassword", "txtUserid", "txtGeneral"})
        EXPECT_FALSE(field(b)->isMasked()) << b;
    EXPECT_EQ(option(OptionsRecord::MaskNotes), "false");
    EXPECT_EQ(option(OptionsRecord::MaskUserId), "false");
    EXPECT_EQ(option(OptionsRecord::MaskPassword), "false");
    // The record and the file are untouched by masking.
    EXPECT_EQ(storedTable()[1].Password, "s3cr3t");
}

TEST_F(Form1Modes, TheModeShowsInTheLabelAndTheFile)
{
    ASSERT_TRUE(dragDrop());
    EXPECT_EQ(label("lblMode"), " Drag/Drop Mode");
    EXPECT_EQ(modeColour(), QColor(192, 255, 192));
    for (const char* b : {"txtWebsite", "txtGeneral", "txtUserid", "txtPassword"})
        EXPECT_TRUE(field(b)->isDragSource()) << b;

    typeInto("txtWebsite", "/");
    EXPECT_FALSE(dragDrop());
    EXPECT_EQ(label("lblMode"), " Edit Mode");
    EXPECT_EQ(modeColour(), QColor(255, 255, 192));
    EXPECT_EQ(option(OptionsRecord::DragDropMode), "false");
    for (const char* b : {"txtWebsite", "txtGeneral", "txtUserid", "txtPassword"})
        EXPECT_FALSE(field(b)->isDragSource()) << b;

    // The menu item toggles.
    menuItem("LoginSelect")->trigger();
    EXPECT_TRUE(dragDrop());
    EXPECT_EQ(option(OptionsRecord::DragDropMode), "true");
    EXPECT_TRUE(button("cmdDelete")->isEnabled());
    menuItem("LoginSelect")->trigger();
    EXPECT_FALSE(dragDrop());
    EXPECT_EQ(option(OptionsRecord::DragDropMode), "false");
    EXPECT_FALSE(button("cmdDelete")->isEnabled());
    EXPECT_TRUE(button("cmdChange")->isEnabled());
}

TEST_F(Form1Modes, DoubleClickEntersEditModeAndStaysThere)
{
    const int idle = state.IdleTickCount = 6;
    QTest::mouseDClick(field("txtUserid"), Qt::LeftButton);
    EXPECT_FALSE(dragDrop());
    EXPECT_EQ(option(OptionsRecord::DragDropMode), "false");
    QTest::mouseDClick(field("txtUserid"), Qt::LeftButton);
    EXPECT_FALSE(dragDrop());
    EXPECT_EQ(field("txtUserid")->text(), "alice");
    EXPECT_EQ(state.IdleTickCount, idle);
}

TEST_F(Form1Modes, MouseOverSelectsTheWholeTextOnlyInDragDropMode)
{
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::mouseMove(field("txtPassword"));
    EXPECT_TRUE(field("txtPassword")->hasFocus());
    EXPECT_EQ(field("txtPassword")->selectedText(), "s3cr3t"); // masked or not
    EXPECT_EQ(field("txtPassword")->dragText(), "s3cr3t");

    typeInto("txtGeneral", "!"); // Edit mode
    field("txtGeneral")->deselect();
    QTest::mouseMove(field("txtUserid"));
    EXPECT_FALSE(field("txtUserid")->hasSelectedText());
}

TEST_F(Form1Modes, ADropOntoABoxChangesNothing)
{
    QMimeData data;
    data.setText("dropped text");
    const QPointF at(5, 5);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(field("txtUserid"), &enter);
    EXPECT_FALSE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(field("txtUserid"), &drop);
    EXPECT_EQ(field("txtUserid")->text(), "alice");
    EXPECT_TRUE(dragDrop());
}

TEST_F(Form1Modes, AMaskedFieldNeverShowsItsTextToAccessibility)
{
    menuItem("mask_all")->trigger();
    for (const char* b : {"txtPassword", "txtUserid", "txtGeneral"}) {
        SCOPED_TRACE(b);
        FieldBox* f = field(b);
        const QString secret = f->text();
        ASSERT_FALSE(secret.isEmpty());
        f->selectAll(); // as the mouse-over leaves it
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(f);
        ASSERT_NE(a, nullptr);
        EXPECT_NE(a->text(QAccessible::Value), secret);
        EXPECT_FALSE(a->text(QAccessible::Value).contains(secret));
        EXPECT_FALSE(a->text(QAccessible::Name).contains(secret));
        if (QAccessibleTextInterface* t = a->textInterface()) {
            EXPECT_FALSE(t->text(0, t->characterCount()).contains(secret));
            int start = 0, end = 0;
            EXPECT_FALSE(t->textAtOffset(0, QAccessible::LineBoundary, &start, &end).contains(secret));
        }
    }
    // An unmasked field reads normally.
    QAccessibleInterface* website = QAccessible::queryAccessibleInterface(field("txtWebsite"));
    EXPECT_EQ(website->text(QAccessible::Value), "http://alpha.example");
}

TEST_F(Form1Modes, EveryControlHasAnAccessibleName)
{
    const std::pair<const char*, const char*> names[] = {
        {"cboSelect", "Account Name"},
        {"txtWebsite", "Website"},
        {"txtGeneral", "Notes"},
        {"txtUserid", "User ID"},
        {"txtPassword", "Password"},
        {"lblID", "ID"},
        {"cmdGo", "GO"},
        {"Add_Account", "Add"},
        {"cmdChange", "Change"},
        {"cmdCancel", "Cancel"},
        {"cmdDelete", "Delete"},
        {"cmdCopy1", "Open website"},
        {"cmdCopy2", "Copy notes"},
        {"cmdCopy3", "Copy user ID"},
        {"cmdCopy4", "Copy password"},
    };
    for (const auto& [object, name] : names) {
        QWidget* w = find<QWidget>(object);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->accessibleName().toStdString(), name) << object;
    }
    // Fields are also labelled by their visible labels, which screen readers read out with them.
    for (const char* object : {"cboSelect", "txtWebsite", "txtGeneral", "txtUserid", "txtPassword"}) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(find<QWidget>(object));
        QStringList labels;
        for (const auto& [other, relation] : a->relations(QAccessible::Label))
            labels << other->text(QAccessible::Name);
        EXPECT_TRUE(labels.contains(a->object()->property("accessibleName").toString())) << object;
    }
}

TEST_F(Form1Modes, TheKeyboardAloneReachesEverything)
{
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    combo()->setFocus();
    clearCombo();
    typeInCombo("alp");
    QTest::keyClick(combo()->lineEdit(), Qt::Key_Return); // GO by Enter
    ASSERT_EQ(label("lblID"), "1");
    platform.urls.clear();

    auto press = [](Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); };
    // The tab order after a lookup; the disabled Add, Change and Cancel are passed over.
    const char* order[] = {"txtWebsite", "txtGeneral", "txtUserid", "txtPassword", "cmdCopy1",
                           "cmdCopy2",   "cmdCopy3",   "cmdCopy4",  "cmdGo",       "cmdDelete"};
    for (const char* name : order) {
        press(Qt::Key_Tab);
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        ASSERT_EQ(QApplication::focusWidget()->objectName(), QString::fromLatin1(name));
        if (std::string(name) == "cmdCopy4") {
            press(Qt::Key_Space); // copies the password
            EXPECT_EQ(platform.clipboard, "s3cr3t");
        }
    }
    // The picture button beside the website opens it from the keyboard.
    button("cmdCopy1")->setFocus();
    press(Qt::Key_Space);
    EXPECT_EQ(platform.urls, (std::vector<std::string>{"http://alpha.example"}));
}

TEST_F(Form1Modes, EnterPressesTheFocusedButton)
{
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    auto enterOn = [&](const char* name) {
        button(name)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    };
    enterOn("cmdCopy2");
    EXPECT_EQ(platform.clipboard, "the notes");
    enterOn("cmdCopy3");
    EXPECT_EQ(platform.clipboard, "alice");
    enterOn("cmdCopy4");
    EXPECT_EQ(platform.clipboard, "s3cr3t");
    enterOn("cmdCopy1");
    EXPECT_EQ(platform.urls, (std::vector<std::string>{"http://alpha.example"}));

    typeInto("txtUserid", "2");
    enterOn("cmdChange");
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{"Settings have been saved successfully."}));
    EXPECT_EQ(storedTable()[1].UserId, "alice2");
    EXPECT_TRUE(dragDrop());

    forgetMessages();
    platform.queueAnswer(Answer::No);
    enterOn("cmdDelete");
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{"Delete record?"}));
    EXPECT_EQ(storedNames(), (std::vector<std::string>{"Alpha"}));

    // GO, the default button, looks up.
    platform.urls.clear();
    enterOn("cmdGo");
    EXPECT_EQ(platform.urls, (std::vector<std::string>{"http://alpha.example"}));
    EXPECT_EQ(label("lblID"), "1");
}

TEST_F(Form1Modes, EveryMenuOpensFromTheKeyboard)
{
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    const std::pair<Qt::Key, const char*> menus[] = {
        {Qt::Key_F, "File"}, {Qt::Key_V, "View"}, {Qt::Key_O, "Options"}, {Qt::Key_H, "Help"}};
    for (const auto& [key, name] : menus) {
        SCOPED_TRACE(name);
        combo()->setFocus();
        QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
        auto* menu = find<QMenu>(name);
        ASSERT_NE(menu, nullptr);
        EXPECT_TRUE(menu->isVisible());
        menu->hide();
    }

    // An item chosen with the arrow keys and Enter runs its command: View, Mask All.
    combo()->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::AltModifier);
    auto* view = find<QMenu>("View");
    ASSERT_TRUE(view->isVisible());
    for (int i = 0; i < 6 && view->activeAction() != menuItem("mask_all"); ++i)
        QTest::keyClick(view, Qt::Key_Down);
    ASSERT_EQ(view->activeAction(), menuItem("mask_all"));
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_TRUE(field("txtUserid")->isMasked());
    EXPECT_TRUE(field("txtGeneral")->isMasked());
}

TEST_F(Form1Modes, ScreenReadersHearTheModeTheRecordNumberAndTheAccountName)
{
    auto accessible = [&](const char* name) { return QAccessible::queryAccessibleInterface(find<QWidget>(name)); };
    EXPECT_EQ(accessible("cboSelect")->text(QAccessible::Name), "Account Name");
    EXPECT_EQ(accessible("cboSelect")->text(QAccessible::Value), comboText());
    EXPECT_EQ(accessible("cboSelect")->role(), QAccessible::ComboBox);
    EXPECT_EQ(accessible("lblMode")->text(QAccessible::Name), "Drag/Drop Mode");
    EXPECT_EQ(accessible("lblID")->text(QAccessible::Name), "ID");
    EXPECT_EQ(accessible("lblID")->text(QAccessible::Description), "1");

    typeInto("txtUserid", "x");
    EXPECT_EQ(accessible("lblMode")->text(QAccessible::Name), "Edit Mode");
    menuItem("New")->trigger();
    EXPECT_TRUE(accessible("lblID")->text(QAccessible::Description).isEmpty());
}
