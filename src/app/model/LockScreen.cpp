#include "app/model/LockScreen.h"

#include "app/AppState.h"

void LockScreen::lock()
{
    stage_ = Stage::Idle;
    emptyBox_ = true;
}

bool LockScreen::cmdOK_Click(const std::string& typed)
{
    const bool equal = typed == state_.LoginPassword1;
    stage_ = Stage::Idle;
    emptyBox_ = true;
    state_.resetIdle();
    return equal;
}
