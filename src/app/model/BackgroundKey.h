#pragma once

#include "cipher/ProtectedFile.h"

#include <functional>
#include <memory>

class Platform;

// The derivation of a login's key, slow on purpose, away from the windows' thread: derive runs through the
// platform's background work and must touch nothing shared; done receives its key on the windows' thread (null when
// it could not be derived: memory short, an exception). A key that done never receives (the platform went first) is
// wiped unused.
using DeriveKey = std::function<std::unique_ptr<FileProtection>()>;
using KeyDerived = std::function<void(std::unique_ptr<FileProtection>)>;
void DeriveKeyInBackground(Platform& platform, DeriveKey derive, KeyDerived done);
