// Copying field texts to the clipboard.
#include "ui/main/Form1.h"

void Form1::cmdCopy2_Click() {}
void Form1::cmdCopy3_Click() {}
void Form1::cmdCopy4_Click() {}
void Form1::Clear_Clipboard_Click() {}
