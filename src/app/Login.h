#pragma once

#include "cipher/ProtectedFile.h"
#include "cipher/SecretString.h"

#include <memory>

// This run's login: what Login Settings stored and, when the account file is encrypted with it, the key every
// save seals under. The session owns the one instance and hands it to the operations that need it; the secrets
// wipe themselves and the keys live in locked memory, overwritten when they go.
struct Login
{
    Login() = default;
    Login(const Login&) = delete;
    Login& operator=(const Login&) = delete;

    // All empty means no login is asked.
    SecretString LoginUserName;
    SecretString LoginPassword1;
    SecretString LoginPassword2;
    bool hasLogin() const { return !LoginUserName.empty() || !LoginPassword1.empty() || !LoginPassword2.empty(); }

    // The key and the header every save writes under; null for the default file.
    std::unique_ptr<FileProtection> protection;
    // While a save replaces the key (or ends the encryption): the one the file on disk was written with, so the
    // check before that save can still open it.
    std::unique_ptr<FileProtection> replacedProtection;
    // The settings a new key is derived with; a file derived with less is derived anew at its next save.
    KdfSettings kdfDefaults = kDefaultKdf;
    // That key, when the login derived it in advance (with a new salt) for the file whose header is strongerFor:
    // the next save under that header seals with it, and takes it as the login's once the file is in place.
    std::unique_ptr<FileProtection> strongerProtection;
    ProtectedHeader strongerFor;

    // Every secret and key overwritten and let go.
    void forget();
};
