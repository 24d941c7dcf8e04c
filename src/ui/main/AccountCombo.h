#pragma once

#include <QComboBox>

// The account combo box: an editable combo box that tells the window when its drop-down list is about to open,
// by mouse or by keyboard (Alt+Down, F4), and that never lets a key edit its prompt: the prompt is selected whole
// whenever the box gets the keyboard, and again before any key that would change it, so that the first key
// replaces the prompt wherever a click or an arrow key put the caret.
class AccountCombo : public QComboBox
{
    Q_OBJECT

public:
    explicit AccountCombo(QWidget* parent = nullptr);

    void showPopup() override;
    // The text that is a prompt, not a name.
    void setPrompt(const QString& prompt) { prompt_ = prompt; }

signals:
    void popupOpening();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void selectPrompt();

    QString prompt_;
};
