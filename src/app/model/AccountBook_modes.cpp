// The Edit / Drag/Drop mode, masks, window options, and the secrets' end.
#include "app/model/AccountBook.h"

#include "app/AppState.h"
#include "cipher/SecureWipe.h"
#include "platform/Platform.h"

namespace {

const char* onOff(bool on)
{
    return on ? "true" : "false";
}

OptionsRecord::Field maskField(AccountBook::Box box)
{
    switch (box) {
    case AccountBook::Notes:
        return OptionsRecord::MaskNotes;
    case AccountBook::UserId:
        return OptionsRecord::MaskUserId;
    default:
        return OptionsRecord::MaskPassword;
    }
}

} // namespace

void AccountBook::toggleMode()
{
    setMode(dragDrop_);
}

void AccountBook::setMode(bool toEdit)
{
    readOptions();
    options_.set(OptionsRecord::DragDropMode, toEdit ? "false" : "true");
    dragDrop_ = !toEdit;
    if (toEdit) {
        buttons_.change = true;
        buttons_.add = true;
        buttons_.cancel = true;
        buttons_.del = false;
    } else {
        buttons_.del = true;
    }
    writeOptions();
}

// One mask and its options field; the file is written by the caller.
void AccountBook::storeMask(Box box, bool masked)
{
    masks_[box] = masked;
    options_.set(maskField(box), onOff(masked));
}

void AccountBook::toggleMask(Box box)
{
    if (box == Website)
        return; // the website is never masked
    readOptions();
    storeMask(box, !masks_[box]);
    writeOptions();
    resetIdle();
}

// Mask All and Mask None are not user activity for the idle lock.
void AccountBook::setAllMasks(bool masked)
{
    readOptions();
    storeMask(Password, masked);
    storeMask(UserId, masked);
    storeMask(Notes, masked);
    writeOptions();
}

void AccountBook::toggleOnTop()
{
    readOptions();
    onTop_ = !onTop_;
    options_.set(OptionsRecord::AlwaysOnTop, onOff(onTop_));
    // A failure to change the band changes nothing else: the mark and the stored value follow the command.
    topmostRequest_ = onTop_ ? 1 : 0;
    writeOptions();
    resetIdle();
}

void AccountBook::toggleToolTips()
{
    readOptions();
    toolTips_ = !toolTips_;
    options_.set(OptionsRecord::ShowToolTips, onOff(toolTips_));
    writeOptions();
}

void AccountBook::wipeSecrets()
{
    for (Box box : {Notes, UserId, Password})
        wipe(boxes_[box]);
    wipe(generatedPassword_);
}
