#include "ui/main/AccountCombo.h"

AccountCombo::AccountCombo(QWidget* parent) : QComboBox(parent) {}

void AccountCombo::showPopup()
{
    emit popupOpening();
    QComboBox::showPopup();
}
