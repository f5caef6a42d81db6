// The base provider's MD5 and RC4. Wine's and Windows' providers derive the same
// 40-bit key with 11 zero salt bytes that the portable backend builds itself.
#include <windows.h>
#include <wincrypt.h>

#include <new>

#include "fs/fault_injection.h"
#include "fs/win_handles.h"
#include "qz/cipher.h"
#include "qz/stored_key.h"

namespace qz {

namespace {

constexpr char kProviderName[] = "Microsoft Base Cryptographic Provider v1.0";

// The largest piece handed to one CryptEncrypt/CryptDecrypt call.
constexpr std::size_t kMaxCryptChunk = 1u << 30;

// The context, or a new key container when the user has none yet.
bool AcquireContext(CryptContext* context) {
  if (::CryptAcquireContextA(context->out(), "", kProviderName, PROV_RSA_FULL, 0)) return true;
  *context->out() = 0;
  if (::CryptAcquireContextA(context->out(), "", kProviderName, PROV_RSA_FULL, CRYPT_NEWKEYSET)) {
    return true;
  }
  *context->out() = 0;
  return false;
}

// Owns the provider context and the derived key.
class CryptoApiKey final : public CipherKey {
 public:
  CryptoApiKey() = default;
  CryptContext& context() { return context_; }
  CryptKey& key() { return key_; }

  bool Encrypt(std::uint8_t* data, std::size_t len, bool final) override {
    return Crypt(data, len, final, true);
  }
  bool Decrypt(std::uint8_t* data, std::size_t len, bool final) override {
    return Crypt(data, len, final, false);
  }

 private:
  // RC4 adds no padding, so each piece keeps its length. Only the last piece of an
  // oversized call carries the final flag.
  bool Crypt(std::uint8_t* data, std::size_t len, bool final, bool encrypt) {
    // A null buffer turns CryptEncrypt into a size query that ends nothing, and
    // CryptDecrypt refuses it; an empty final call must still end the message.
    std::uint8_t empty = 0;
    if (data == nullptr) {
      if (len != 0) return false;
      data = &empty;
    }
    do {
      const std::size_t piece = len < kMaxCryptChunk ? len : kMaxCryptChunk;
      const BOOL last = (final && piece == len) ? TRUE : FALSE;
      DWORD count = static_cast<DWORD>(piece);
      const BOOL ok = encrypt ? ::CryptEncrypt(key_.get(), 0, last, 0, data, &count, count)
                              : ::CryptDecrypt(key_.get(), 0, last, 0, data, &count);
      if (!ok || count != piece) return false;
      data += piece;
      len -= piece;
    } while (len > 0);
    return true;
  }

  // Declared in this order so that the key is destroyed before its context.
  CryptContext context_;
  CryptKey key_;
};

class CryptoApiCipherBackend final : public CipherBackend {
 public:
  KeyStep DeriveKey(const Secret& password, std::unique_ptr<CipherKey>* key) const override {
    key->reset();
    if (password.size() > 0xFFFFFFFFu) return KeyStep::kHashData;
    auto made = std::unique_ptr<CryptoApiKey>(new (std::nothrow) CryptoApiKey);
    if (!made) return KeyStep::kAcquireContext;
    if (InjectFault(FaultPoint::kAcquireContext) || !AcquireContext(&made->context())) {
      return KeyStep::kAcquireContext;
    }
    // Run for its lasting effect on the user's account; its result does not matter.
    LoadStoredKey(made->context().get());

    CryptHash hash;  // destroyed on return, before any ciphering
    if (InjectFault(FaultPoint::kCreateHash) ||
        !::CryptCreateHash(made->context().get(), CALG_MD5, 0, 0, hash.out())) {
      return KeyStep::kCreateHash;
    }
    const BYTE* bytes = reinterpret_cast<const BYTE*>(password.data());
    if (InjectFault(FaultPoint::kHashData) ||
        !::CryptHashData(hash.get(), bytes, static_cast<DWORD>(password.size()), 0)) {
      return KeyStep::kHashData;
    }
    if (InjectFault(FaultPoint::kDeriveKey) ||
        !::CryptDeriveKey(made->context().get(), CALG_RC4, hash.get(), CRYPT_EXPORTABLE,
                          made->key().out())) {
      return KeyStep::kDeriveKey;
    }
    *key = std::move(made);
    return KeyStep::kOk;
  }
  const char* Name() const override { return "CryptoAPI"; }
};

}  // namespace

const CipherBackend& CryptoApiBackend() {
  static const CryptoApiCipherBackend backend;
  return backend;
}

const CipherBackend& DefaultBackend() { return CryptoApiBackend(); }

}  // namespace qz
