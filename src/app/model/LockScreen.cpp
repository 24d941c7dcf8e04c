#include "app/model/LockScreen.h"

#include "app/AppState.h"

bool LockScreen::tryPassword(const SecretString& typed)
{
    const bool equal = SameSecret(typed.view(), state_.LoginPassword1.view());
    change(Stage::Idle, true);
    state_.resetIdle();
    return equal;
}
