// The stored-key step of every CryptoAPI key derivation: the user's key-exchange key
// pair, and once per account an RC4 key blob under the registry value "fnKey". It has
// no part in the ".qz" format; the backend runs it for its lasting effects only.
#pragma once

#ifdef _WIN32

#include <windows.h>
#include <wincrypt.h>

namespace qz {

inline constexpr char kStoredKeyRegistryPath[] =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\IniFileMapping\\Keyfold.ini";
inline constexpr char kStoredKeyValueName[] = "fnKey";
inline constexpr DWORD kStoredKeyBufferBytes = 1000;

// Gets the container's key-exchange key, generating the pair when there is none.
// True when *keyOut holds a key handle, which the caller destroys.
bool EnsureExchangeKey(HCRYPTPROV prov, HCRYPTKEY* keyOut);

enum class StoredKeyResult {
  kNothing,   // some call failed, or the registry key exists without a usable value
  kImported,  // the value was found and imported
  kWritten,   // the registry key was missing: created, and the value written
};

// Imports the stored key, or creates and stores one when the registry key is missing.
// Every handle it opens is released before it returns.
StoredKeyResult LoadStoredKey(HCRYPTPROV prov);

}  // namespace qz

#endif  // _WIN32
