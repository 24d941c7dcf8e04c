#pragma once

#include <QComboBox>

// The account combo box: an editable combo box that tells the window when its drop-down list is about to open,
// by mouse or by keyboard (Alt+Down, F4), and that selects its prompt whole whenever it gets the keyboard, so
// that typing replaces the prompt instead of adding to it.
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

private:
    void selectPrompt();

    QString prompt_;
};
