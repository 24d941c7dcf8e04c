// Masks and the Edit / Drag/Drop mode of the four account fields.
#include "ui/main/FieldBox.h"
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
    lblMode->setStyleSheet(toEdit ? QStringLiteral("background-color: #FFFFC0;")
                                  : QStringLiteral("background-color: #C0FFC0;"));
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

namespace {
// Toggles one mask: the box decides, not the check mark.
bool toggled(FieldBox* box)
{
    return !box->isMasked();
}
} // namespace

void Form1::Command1_Click()
{
    readOptions();
    const bool masked = toggled(txtGeneral);
    setMask(txtGeneral, Command1, masked);
    options_.set(OptionsRecord::MaskNotes, masked ? "true" : "false");
    writeOptions();
    state_.resetIdle();
}

void Form1::MaskUser_Click()
{
    readOptions();
    const bool masked = toggled(txtUserid);
    setMask(txtUserid, MaskUser, masked);
    options_.set(OptionsRecord::MaskUserId, masked ? "true" : "false");
    writeOptions();
    state_.resetIdle();
}

void Form1::MaskPwd_Click()
{
    readOptions();
    const bool masked = toggled(txtPassword);
    setMask(txtPassword, MaskPwd, masked);
    options_.set(OptionsRecord::MaskPassword, masked ? "true" : "false");
    writeOptions();
    state_.resetIdle();
}

void Form1::mask_all_Click()
{
    readOptions();
    setMask(txtPassword, MaskPwd, true);
    setMask(txtUserid, MaskUser, true);
    setMask(txtGeneral, Command1, true);
    options_.set(OptionsRecord::MaskPassword, "true");
    options_.set(OptionsRecord::MaskUserId, "true");
    options_.set(OptionsRecord::MaskNotes, "true");
    writeOptions();
}

void Form1::mask_none_Click()
{
    readOptions();
    setMask(txtPassword, MaskPwd, false);
    setMask(txtUserid, MaskUser, false);
    setMask(txtGeneral, Command1, false);
    options_.set(OptionsRecord::MaskPassword, "false");
    options_.set(OptionsRecord::MaskUserId, "false");
    options_.set(OptionsRecord::MaskNotes, "false");
    writeOptions();
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
