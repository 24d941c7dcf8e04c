#include "ui/main/AccountCombo.h"

#include <QLineEdit>
#include <QTimer>

AccountCombo::AccountCombo(QWidget* parent) : QComboBox(parent) {}

void AccountCombo::showPopup()
{
    emit popupOpening();
    QComboBox::showPopup();
}

void AccountCombo::focusInEvent(QFocusEvent* event)
{
    QComboBox::focusInEvent(event);
    selectPrompt();
    // A click places the caret after the focus has come: select again once the click is through.
    QTimer::singleShot(0, this, [this] {
        if (hasFocus())
            selectPrompt();
    });
}

void AccountCombo::selectPrompt()
{
    QLineEdit* edit = lineEdit();
    if (!edit || prompt_.isEmpty() || edit->text() != prompt_)
        return; // a name is left as the user placed the caret in it
    // Selected from the end back to the start, so the caret stays in front and the prompt shows from its
    // beginning.
    const int length = static_cast<int>(prompt_.size());
    edit->setSelection(length, -length);
}
