// Opening the account's website and the support page.
#include "ui/main/Form1.h"

void Form1::cmdCopy1_Click() {}
void Form1::Online_Click() {}
void Form1::RunBrowser(const std::string&, int) {}
