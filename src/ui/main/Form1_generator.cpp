// The random password generator.
#include "ui/main/Form1.h"

void Form1::passwordGen_Click() {}
void Form1::PasswordGenerator() {}
