#pragma once

#include "ProgramFolderFixture.h"

#include "ui/main/Form1.h"
#include "ui/main/LanguageTextRules.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// The desktop's rules of text, as the program gives them to its session.
inline const TextRules& DesktopTextRules()
{
    static const LanguageTextRules rules;
    return rules;
}

// A main window on a fresh program folder, opened as the program opens it when no login is set.
class MainWindowFixture : public ProgramFolderFixture
{
protected:
    MainWindowFixture() : ProgramFolderFixture(DesktopTextRules()) {}

    std::unique_ptr<Form1> form;

    // The session's load of the folder, then the main window's load sequence; the window is shown. Writes the
    // default options file first when there is none.
    void openWindow()
    {
        if (!folder.exists(kOptionsFileName))
            writeDefaultOptions();
        ASSERT_EQ(outcome(session.load()), "Ok");
        form.reset();
        form =
            std::make_unique<Form1>(session, [this](ExitStatus exit) { platform.endProgram(static_cast<int>(exit)); });
        form->Form_Load();
        form->show();
    }

    // Controls by object name.
    template <typename T = QWidget> T* find(const char* name)
    {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << "no control " << name;
        return w;
    }
    QPushButton* button(const char* name) { return find<QPushButton>(name); }
    QLineEdit* box(const char* name) { return find<QLineEdit>(name); }
    QAction* menuItem(const char* name) { return find<QAction>(name); }
    QComboBox* combo() { return find<QComboBox>("cboSelect"); }
    QString comboText() { return combo()->currentText(); }
    QString label(const char* name) { return find<QLabel>(name)->text(); }

    // A person at the keyboard and mouse.
    void click(const char* buttonName) { QTest::mouseClick(button(buttonName), Qt::LeftButton); }
    void typeInto(const char* boxName, const QString& text) { QTest::keyClicks(box(boxName), text); }
    // Keys for the combo box go to the combo box itself, which holds the focus and hands them to its line edit.
    void typeInCombo(const QString& text) { QTest::keyClicks(combo(), text); }
    // Selects the whole combo text and deletes it, as a user would.
    void clearCombo()
    {
        QTest::keyClick(combo(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(combo(), Qt::Key_Backspace);
    }
    // Types the name over whatever the combo box shows and presses GO.
    void lookUp(const QString& name)
    {
        clearCombo();
        typeInCombo(name);
        click("cmdGo");
    }
};
