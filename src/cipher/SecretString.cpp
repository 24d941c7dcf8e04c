#include "cipher/SecretString.h"

// The one instance the program uses, compiled once.
template class BasicSecretString<std::allocator<char>>;
