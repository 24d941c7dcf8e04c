#pragma once

#include <QComboBox>

// The account combo box: an editable combo box that tells the window when its drop-down list is about to open,
// by mouse or by keyboard (Alt+Down, F4).
class AccountCombo : public QComboBox
{
    Q_OBJECT

public:
    explicit AccountCombo(QWidget* parent = nullptr);

    void showPopup() override;

signals:
    void popupOpening();
};
