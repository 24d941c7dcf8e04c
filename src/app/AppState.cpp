#include "app/AppState.h"

#include "cipher/SecureWipe.h"

AppState::~AppState()
{
    wipe(LoginUserName);
    wipe(LoginPassword1);
    wipe(LoginPassword2);
}
