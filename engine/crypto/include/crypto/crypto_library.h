// libsodium, made ready once per process before any of its functions runs.
#pragma once

namespace qz {

// False only when the library cannot start (no source of randomness); nothing that
// needs it may run then.
bool CryptoLibraryReady();

}  // namespace qz
