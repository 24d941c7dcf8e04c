// Masks and the Edit / Drag/Drop mode of the four account fields.
#include "ui/main/FieldBox.h"
#include "ui/main/FixedColours.h"
#include "ui/main/Form1.h"

#include "app/AppState.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>

namespace {
const char* const kEditModeCaption = " Edit Mode";
const char* const kDragDropModeCaption = " Drag/Drop Mode";
} // namespace

void Form1::LoginSelect_Click()
{
    readOptions();
    const bool toEdit = LoginSelect->isChecked();
    options_.set(OptionsRecord::DragDropMode, toEdit ? "false" : "true");
    LoginSelect->setChecked(!toEdit);
    for (FieldBox* box : {txtUserid, txtPassword, txtGeneral, txtWebsite})
        box->setDragSource(!toEdit);
    lblMode->setText(QString::fromLatin1(toEdit ? kEditModeCaption : kDragDropModeCaption));
    lblMode->setStyleSheet(fixedcolours::labelSheet(toEdit ? fixedcolours::kLightYellow : fixedcolours::kLightGreen));
    if (toEdit) {
        cmdChange->setEnabled(true);
        Add_Account->setEnabled(true);
        cmdCancel->setEnabled(true);
        cmdDelete->setEnabled(false);
    } else {
        cmdDelete->setEnabled(true);
    }
    writeOptions();
}

void Form1::enterDragDropMode()
{
    LoginSelect->setChecked(false);
    LoginSelect_Click();
}

void Form1::enterEditMode()
{
    LoginSelect->setChecked(true);
    LoginSelect_Click();
}

// One mask and its options field; the file is written by the caller.
void Form1::storeMask(FieldBox* box, QAction* item, OptionsRecord::Field field, bool masked)
{
    setMask(box, item, masked);
    options_.set(field, masked ? "true" : "false");
}

// Toggles one mask: the box decides, not the check mark.
void Form1::toggleMask(FieldBox* box, QAction* item, OptionsRecord::Field field)
{
    readOptions();
    storeMask(box, item, field, !box->isMasked());
    writeOptions();
    state_.resetIdle();
}

void Form1::Command1_Click()
{
    toggleMask(txtGeneral, Command1, OptionsRecord::MaskNotes);
}

void Form1::MaskUser_Click()
{
    toggleMask(txtUserid, MaskUser, OptionsRecord::MaskUserId);
}

void Form1::MaskPwd_Click()
{
    toggleMask(txtPassword, MaskPwd, OptionsRecord::MaskPassword);
}

// Mask All and Mask None are not user activity for the idle lock.
void Form1::setAllMasks(bool masked)
{
    readOptions();
    storeMask(txtPassword, MaskPwd, OptionsRecord::MaskPassword, masked);
    storeMask(txtUserid, MaskUser, OptionsRecord::MaskUserId, masked);
    storeMask(txtGeneral, Command1, OptionsRecord::MaskNotes, masked);
    writeOptions();
}

void Form1::mask_all_Click()
{
    setAllMasks(true);
}

void Form1::mask_none_Click()
{
    setAllMasks(false);
}

void Form1::box_DblClick(FieldBox*)
{
    enterEditMode();
}

void Form1::box_MouseMove(FieldBox* box)
{
    if (!LoginSelect->isChecked())
        return;
    box->setFocus();
    box->selectAll();
}
