// Export and import of the account list.
#include "ui/main/Form1.h"

void Form1::Export_Click() {}
void Form1::Import_Click() {}
