#include "app/AppState.h"

// The login settings wipe themselves.
AppState::~AppState() = default;
