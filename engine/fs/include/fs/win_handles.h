// Owning wrappers for the kernel, CryptoAPI and registry handles the engine holds during
// one call: each is released exactly once, on every way out.
#pragma once

#include <windows.h>
#include <wincrypt.h>

namespace qz {

// A file or folder handle; either failure value (null, INVALID_HANDLE_VALUE) owns nothing.
class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ~ScopedHandle() {
    if (valid()) ::CloseHandle(handle_);
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  HANDLE release() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle;
  }

 private:
  HANDLE handle_;
};

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
