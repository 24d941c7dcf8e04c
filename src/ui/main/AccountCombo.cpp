#include "ui/main/AccountCombo.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

namespace {

// Screen readers name the combo box by its label and read its text as its value. (Qt's own interface names an
// editable combo box by its text on this platform, so a reader would announce the prompt or a name as what the
// box is.) Its children are those of Qt's own: the drop-down list, then the text box. The list lives in a
// separate popup window, so a plain widget interface would leave it out of the tree, open or closed.
class AccessibleAccountCombo : public QAccessibleWidget
{
public:
    explicit AccessibleAccountCombo(QWidget* widget) : QAccessibleWidget(widget, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Value ? combo()->currentText() : QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = true;
        s.expandable = true;
        s.expanded = combo()->view()->isVisible();
        return s;
    }
    int childCount() const override { return combo()->lineEdit() ? 2 : 1; }
    QAccessibleInterface* child(int index) const override
    {
        if (index == 0)
            return QAccessible::queryAccessibleInterface(combo()->view());
        return index == 1 && combo()->lineEdit() ? QAccessible::queryAccessibleInterface(combo()->lineEdit()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (!child || !child->object())
            return -1;
        if (child->object() == combo()->view())
            return 0;
        return child->object() == combo()->lineEdit() ? 1 : -1;
    }
    // The text box never holds the focus itself (the combo box is its focus proxy), yet it is where the caret is.
    QAccessibleInterface* focusChild() const override { return child(1); }
    QStringList actionNames() const override { return QAccessibleWidget::actionNames() << showMenuAction(); }
    void doAction(const QString& name) override
    {
        if (name == showMenuAction())
            combo()->showPopup();
        else
            QAccessibleWidget::doAction(name);
    }

private:
    QComboBox* combo() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* accessibleAccountCombo(const QString& className, QObject* object)
{
    if (className == QLatin1String("AccountCombo") && object && object->isWidgetType())
        return new AccessibleAccountCombo(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

AccountCombo::AccountCombo(QWidget* parent) : QComboBox(parent)
{
    static const bool installed = (QAccessible::installFactory(accessibleAccountCombo), true);
    (void)installed;
}

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

void AccountCombo::keyPressEvent(QKeyEvent* event)
{
    // A key that types, deletes, pastes or cuts replaces the prompt as a whole. Moving keys leave it as it is.
    const QString text = event->text();
    const bool types = !text.isEmpty() && text.at(0).isPrint();
    const bool deletes = event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete;
    if (types || deletes || event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut))
        selectPrompt();
    QComboBox::keyPressEvent(event);
}

void AccountCombo::inputMethodEvent(QInputMethodEvent* event)
{
    // A character composed by an input method is a typed one.
    if (!event->commitString().isEmpty() || !event->preeditString().isEmpty())
        selectPrompt();
    QComboBox::inputMethodEvent(event);
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
