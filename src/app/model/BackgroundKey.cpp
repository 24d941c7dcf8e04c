#include "app/model/BackgroundKey.h"

#include "platform/Platform.h"

void DeriveKeyInBackground(Platform& platform, DeriveKey derive, KeyDerived done)
{
    // Shared by the work and its end; whichever goes last takes the key with it.
    auto key = std::make_shared<std::unique_ptr<FileProtection>>();
    platform.runInBackground([key, derive = std::move(derive)] { *key = derive(); },
                             [key, done = std::move(done)] { done(std::move(*key)); });
}
