#include "app/model/LockScreen.h"

#include "app/AppState.h"
#include "app/Login.h"

bool LockScreen::tryPassword(const SecretString& typed)
{
    const bool equal = SameSecret(typed.view(), login_.LoginPassword1.view());
    change(Stage::Idle, true);
    state_.resetIdle();
    return equal;
}
