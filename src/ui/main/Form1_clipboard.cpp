// Copying field texts to the clipboard.
#include "ui/main/FieldBox.h"
#include "ui/main/Form1.h"

#include "app/AppState.h"
#include "cipher/SecureWipe.h"
#include "platform/Platform.h"

namespace {

const char* const kClipboardBusy = "The clipboard is in use by another program, so nothing was copied.\r\n"
                                   "Please try again.  ";

// Puts the box's real text on the clipboard, masked or not. An empty box leaves the clipboard empty.
void copyToClipboard(AppState& state, const FieldBox* box)
{
    state.platform.clearClipboard();
    std::string text = box->text().toStdString();
    // Another program may hold the clipboard; the box keeps its text and the user may simply try again.
    if (!text.empty() && !state.platform.setClipboardText(text))
        state.platform.message(kClipboardBusy, MsgExclamation);
    wipe(text);
    state.resetIdle();
}

} // namespace

void Form1::cmdCopy2_Click()
{
    copyToClipboard(state_, txtGeneral);
}

void Form1::cmdCopy3_Click()
{
    copyToClipboard(state_, txtUserid);
}

void Form1::cmdCopy4_Click()
{
    copyToClipboard(state_, txtPassword);
}

void Form1::Clear_Clipboard_Click()
{
    state_.platform.clearClipboard();
    state_.resetIdle();
}
