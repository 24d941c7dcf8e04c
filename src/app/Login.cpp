#include "app/Login.h"

#include "cipher/SecureWipe.h"

void Login::forget()
{
    wipe(LoginUserName);
    wipe(LoginPassword1);
    wipe(LoginPassword2);
    protection.reset(); // a key's locked memory is overwritten as it is released
    replacedProtection.reset();
    strongerProtection.reset();
}
