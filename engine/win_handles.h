// Owning wrappers for the CryptoAPI and registry handles the engine holds during one
// call: each is released exactly once, on every way out.
#pragma once

#include <windows.h>
#include <wincrypt.h>

namespace qz {

template <typename Handle, void (*Release)(Handle)>
class OwnedHandle {
 public:
  OwnedHandle() = default;
  ~OwnedHandle() {
    if (handle_) Release(handle_);
  }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;

  Handle* out() { return &handle_; }
  Handle get() const { return handle_; }

 private:
  Handle handle_{};
};

inline void DestroyCryptKey(HCRYPTKEY key) { ::CryptDestroyKey(key); }
inline void DestroyCryptHash(HCRYPTHASH hash) { ::CryptDestroyHash(hash); }
inline void ReleaseCryptContext(HCRYPTPROV prov) { ::CryptReleaseContext(prov, 0); }
inline void CloseRegistryKey(HKEY key) { ::RegCloseKey(key); }

using CryptKey = OwnedHandle<HCRYPTKEY, DestroyCryptKey>;
using CryptHash = OwnedHandle<HCRYPTHASH, DestroyCryptHash>;
using CryptContext = OwnedHandle<HCRYPTPROV, ReleaseCryptContext>;
using RegistryKey = OwnedHandle<HKEY, CloseRegistryKey>;

}  // namespace qz
