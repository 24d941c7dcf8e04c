// Adding, changing and deleting accounts.
#include "ui/main/Form1.h"

void Form1::Add_Account_Click() {}
void Form1::cmdChange_Click() {}
void Form1::cmdDelete_Click() {}
void Form1::cmdCancel_Click() {}
void Form1::New_Click() {}
void Form1::txtUserid_Change() {}
void Form1::txtPassword_Change() {}
void Form1::txtWebsite_Change() {}
void Form1::txtGeneral_Change() {}
void Form1::boxChangeRule() {}
