#include "app/model/LockScreen.h"

#include "app/AppState.h"

bool LockScreen::tryPassword(const SecretString& typed)
{
    const bool equal = typed == state_.LoginPassword1;
    change(Stage::Idle, true);
    state_.resetIdle();
    return equal;
}
