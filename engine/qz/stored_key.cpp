#include "qz/stored_key.h"

#include "fs/win_handles.h"

namespace qz {

namespace {

StoredKeyResult ImportStoredKey(HCRYPTPROV prov, HKEY registryKey) {
  BYTE blob[kStoredKeyBufferBytes];
  DWORD size = sizeof(blob);
  if (::RegQueryValueExA(registryKey, kStoredKeyValueName, nullptr, nullptr, blob, &size) !=
      ERROR_SUCCESS) {
    return StoredKeyResult::kNothing;
  }
  if (size == 0 || size > sizeof(blob)) return StoredKeyResult::kNothing;
  CryptKey imported;
  if (!::CryptImportKey(prov, blob, size, 0, 0, imported.out())) return StoredKeyResult::kNothing;
  return StoredKeyResult::kImported;
}

StoredKeyResult CreateStoredKey(HCRYPTPROV prov, HCRYPTKEY exchangeKey) {
  RegistryKey registryKey;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, kStoredKeyRegistryPath, 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, registryKey.out(),
                        nullptr) != ERROR_SUCCESS) {
    return StoredKeyResult::kNothing;
  }
  CryptKey generated;
  if (!::CryptGenKey(prov, CALG_RC4, CRYPT_EXPORTABLE, generated.out())) {
    return StoredKeyResult::kNothing;
  }
  BYTE blob[kStoredKeyBufferBytes];
  DWORD size = sizeof(blob);
  if (!::CryptExportKey(generated.get(), exchangeKey, SIMPLEBLOB, 0, blob, &size)) {
    return StoredKeyResult::kNothing;
  }
  if (::RegSetValueExA(registryKey.get(), kStoredKeyValueName, 0, REG_BINARY, blob, size) !=
      ERROR_SUCCESS) {
    return StoredKeyResult::kNothing;
  }
  return StoredKeyResult::kWritten;
}

}  // namespace

bool EnsureExchangeKey(HCRYPTPROV prov, HCRYPTKEY* keyOut) {
  *keyOut = 0;
  if (::CryptGetUserKey(prov, AT_KEYEXCHANGE, keyOut)) return true;
  *keyOut = 0;
  // The pair is kept in the container; a failure here only makes the export fail.
  if (::CryptGenKey(prov, AT_KEYEXCHANGE, 0, keyOut)) return true;
  *keyOut = 0;
  return false;
}

StoredKeyResult LoadStoredKey(HCRYPTPROV prov) {
  CryptKey exchangeKey;
  EnsureExchangeKey(prov, exchangeKey.out());
  RegistryKey registryKey;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, kStoredKeyRegistryPath, 0, KEY_ALL_ACCESS,
                      registryKey.out()) == ERROR_SUCCESS) {
    return ImportStoredKey(prov, registryKey.get());
  }
  *registryKey.out() = nullptr;
  return CreateStoredKey(prov, exchangeKey.get());
}

}  // namespace qz
