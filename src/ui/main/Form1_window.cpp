// Window options, security, the lock and leaving the program.
#include "ui/main/Form1.h"

#include "app/AppState.h"
#include "platform/Platform.h"

void Form1::OnTop_Click() {}
void Form1::mnuTooltips_Click() {}
void Form1::sec_off_Click() {}
void Form1::sec_on_Click() {}
void Form1::Login_Click() {}
void Form1::About_Click() {}
void Form1::Exit_Click() {}
void Form1::Lock_Click() {}
void Form1::Timer1_Timer() {}
void Form1::closeSideWindows() {}

void Form1::Form_Unload()
{
    state_.platform.clearClipboard();
    state_.platform.endProgram();
}
