// Looking an account up by name.
#include "ui/main/Form1.h"

void Form1::cboSelect_Change() {}
void Form1::cboSelect_KeyDown(int, Qt::KeyboardModifiers) {}
void Form1::cboSelect_DropDown() {}
void Form1::cmdGo_Click() {}
void Form1::cmdGo_KeyDown(int, Qt::KeyboardModifiers) {}
