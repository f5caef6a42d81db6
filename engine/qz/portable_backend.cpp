// Key derivation and RC4 in our own code, byte-identical to the base provider.
#include <array>

#include "crypto/secure_wipe.h"
#include "fs/fault_injection.h"
#include "qz/cipher.h"
#include "qz/key_material.h"
#include "qz/rc4.h"

namespace qz {

namespace {

class PortableKey final : public CipherKey {
 public:
  explicit PortableKey(const std::array<std::uint8_t, kRc4KeyBytes>& key)
      : rc4_(key.data(), key.size()) {}

  bool Encrypt(std::uint8_t* data, std::size_t len, bool final) override {
    return Crypt(data, len, final);
  }
  bool Decrypt(std::uint8_t* data, std::size_t len, bool final) override {
    return Crypt(data, len, final);
  }

 private:
  bool Crypt(std::uint8_t* data, std::size_t len, bool final) {
    rc4_.Apply(data, len);
    if (final) rc4_.Restart();
    return true;
  }

  Rc4 rc4_;
};

class PortableCipherBackend final : public CipherBackend {
 public:
  KeyStep DeriveKey(const Secret& password, std::unique_ptr<CipherKey>* key) const override {
    // The provider's steps, each open to an injected failure as in the CryptoAPI back end.
    if (InjectFault(FaultPoint::kAcquireContext)) return KeyStep::kAcquireContext;
    if (InjectFault(FaultPoint::kCreateHash)) return KeyStep::kCreateHash;
    if (InjectFault(FaultPoint::kHashData)) return KeyStep::kHashData;
    if (InjectFault(FaultPoint::kDeriveKey)) return KeyStep::kDeriveKey;
    auto material = DeriveRc4Key(password);
    WipeOnExit<decltype(material)> wipe(material);
    *key = std::make_unique<PortableKey>(material);
    return KeyStep::kOk;
  }
  const char* Name() const override { return "portable"; }
};

}  // namespace

const CipherBackend& PortableBackend() {
  static const PortableCipherBackend backend;
  return backend;
}

#ifndef _WIN32
const CipherBackend& DefaultBackend() { return PortableBackend(); }
#endif

}  // namespace qz
