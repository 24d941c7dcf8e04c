#pragma once

#include "ProgramFolderFixture.h"

#include "app/model/AccountBook.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

// What the window never sees of the model, for the tests that check how it is kept.
struct AccountBookInternals
{
    // The password "Generate Password" offers, while its question is open.
    static const SecretString& generatedPassword(const AccountBook& book) { return book.generatedPassword_; }
};

// The main window's model on a fresh program folder, opened on the table the session loaded, as when no login is
// set.
class AccountBookFixture : public ProgramFolderFixture
{
protected:
    AccountBook* book = nullptr;
    std::optional<AccountBook::Selection> selection_;

    using Box = AccountBook::Box;
    using Buttons = AccountBook::Buttons;

    // The session's load of the folder, then the model's opening (the window's load sequence).
    void open()
    {
        if (!folder.exists(kOptionsFileName))
            writeDefaultOptions();
        ASSERT_EQ(outcome(session.load()), "Ok");
        session.openMain();
        book = &session.book();
    }

    // The user types text over the combo box's text, the caret at its end; a completion may follow and select
    // its tail.
    void type(const std::string& text)
    {
        book->typeName(text, utf16Length(text));
        selection_ = book->takeComboSelection();
    }
    static int utf16Length(const std::string& text)
    {
        int units = 0;
        for (unsigned char c : text)
            units += (c & 0xC0) == 0x80 ? 0 : c >= 0xF0 ? 2 : 1;
        return units;
    }
    // The selected tail of the combo text (ASCII names).
    std::string selected() const
    {
        return selection_ && selection_->length > 0 ? book->comboText().substr(selection_->start) : std::string();
    }
    // The user types a name and presses GO.
    void lookUp(const std::string& name)
    {
        type(name);
        ASSERT_FALSE(book->lookUp().mustEnd());
    }
    void edit(Box box, const std::string& text) { book->boxEdited(box, SecretString(text)); }

    // The window's gestures, as the window forwards them.
    void clearCombo() { type(""); }
    // Typing replaces the selected completion, as the next character typed does.
    void typeInCombo(const std::string& text)
    {
        std::string base = book->comboText();
        if (selection_ && selection_->length > 0)
            base.resize(static_cast<std::size_t>(selection_->start));
        type(base + text);
    }
    // A name exactly as typed, no completion applied.
    void typeExactName(const std::string& name) { book->setComboTextQuietly(name); }
    void typeInto(Box box, const std::string& text) { edit(box, book->boxText(box).str() + text); }
    void click(const std::string& button)
    {
        Result r;
        if (button == "Add_Account")
            r = book->addAccount();
        else if (button == "cmdChange")
            r = book->changeAccount();
        else if (button == "cmdDelete")
            r = book->deleteAccount();
        else if (button == "cmdGo")
            r = book->lookUp();
        else if (button == "cmdCopy1")
            r = book->openWebsite();
        else if (button == "cmdCancel")
            book->cancelEdit();
        else if (button == "cmdCopy2" || button == "cmdCopy3" || button == "cmdCopy4")
            book->copyBox(button == "cmdCopy2" ? Box::Notes : button == "cmdCopy3" ? Box::UserId : Box::Password);
        else
            ADD_FAILURE() << "no button " << button;
        EXPECT_FALSE(r.mustEnd()) << button;
    }
    bool on(const std::string& button) const
    {
        const Buttons& b = book->buttons();
        return button == "cmdGo"         ? b.go
               : button == "Add_Account" ? b.add
               : button == "cmdChange"   ? b.change
               : button == "cmdCancel"   ? b.cancel
                                         : b.del;
    }
    bool dragDrop() const { return book->dragDrop(); }
    ButtonSnapshot snapshot() const
    {
        const Buttons& b = book->buttons();
        return {b.go, b.add, b.change, b.cancel, b.del, book->dragDrop()};
    }
    // The buttons and the mode as "GO Add Change Cancel Delete Mode" (see ExpectButtonState, no "-"); the
    // options file follows the mode.
    void expectButtons(const char* expected)
    {
        ExpectButtonState(expected, snapshot(), snapshot());
        EXPECT_EQ(storedOptions().get(OptionsRecord::DragDropMode), dragDrop() ? "true" : "false");
    }
    std::vector<std::string> listed() const { return book->names(); }
    std::string comboText() const { return book->comboText(); }
    std::string boxText(Box box) const { return book->boxText(box).str(); }
    std::string recordLabel() const { return book->recordLabel(); }
};
