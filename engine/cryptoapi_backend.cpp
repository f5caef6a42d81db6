// The base provider's MD5 and RC4. Wine's and Windows' providers derive the same
// 40-bit key with 11 zero salt bytes that the portable backend builds itself.
#include <windows.h>
#include <wincrypt.h>

#include <new>

#include "cipher.h"
#include "stored_key.h"

namespace qz {

namespace {

constexpr char kProviderName[] = "Microsoft Base Cryptographic Provider v1.0";

// The largest piece handed to one CryptEncrypt/CryptDecrypt call.
constexpr std::size_t kMaxCryptChunk = 1u << 30;

class Provider {
 public:
  Provider() = default;
  ~Provider() {
    if (prov_) ::CryptReleaseContext(prov_, 0);
  }
  Provider(const Provider&) = delete;
  Provider& operator=(const Provider&) = delete;

  bool Acquire() {
    if (::CryptAcquireContextA(&prov_, "", kProviderName, PROV_RSA_FULL, 0)) return true;
    prov_ = 0;
    if (::CryptAcquireContextA(&prov_, "", kProviderName, PROV_RSA_FULL, CRYPT_NEWKEYSET)) {
      return true;
    }
    prov_ = 0;
    return false;
  }
  HCRYPTPROV get() const { return prov_; }
  HCRYPTPROV release() {
    const HCRYPTPROV prov = prov_;
    prov_ = 0;
    return prov;
  }

 private:
  HCRYPTPROV prov_ = 0;
};

class Hash {
 public:
  Hash() = default;
  ~Hash() {
    if (hash_) ::CryptDestroyHash(hash_);
  }
  Hash(const Hash&) = delete;
  Hash& operator=(const Hash&) = delete;
  HCRYPTHASH* out() { return &hash_; }
  HCRYPTHASH get() const { return hash_; }

 private:
  HCRYPTHASH hash_ = 0;
};

// Owns the provider context and the derived key; the key goes first.
class CryptoApiKey final : public CipherKey {
 public:
  CryptoApiKey(HCRYPTPROV prov, HCRYPTKEY key) : prov_(prov), key_(key) {}
  ~CryptoApiKey() override {
    ::CryptDestroyKey(key_);
    ::CryptReleaseContext(prov_, 0);
  }
  CryptoApiKey(const CryptoApiKey&) = delete;
  CryptoApiKey& operator=(const CryptoApiKey&) = delete;

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
      const BOOL ok = encrypt ? ::CryptEncrypt(key_, 0, last, 0, data, &count, count)
                              : ::CryptDecrypt(key_, 0, last, 0, data, &count);
      if (!ok || count != piece) return false;
      data += piece;
      len -= piece;
    } while (len > 0);
    return true;
  }

  HCRYPTPROV prov_;
  HCRYPTKEY key_;
};

class CryptoApiCipherBackend final : public CipherBackend {
 public:
  KeyStep DeriveKey(const std::string& password, std::unique_ptr<CipherKey>* key) const override {
    key->reset();
    if (password.size() > 0xFFFFFFFFu) return KeyStep::kHashData;
    Provider prov;
    if (!prov.Acquire()) return KeyStep::kAcquireContext;
    // Run for its lasting effect on the user's account; its result does not matter.
    LoadStoredKey(prov.get());

    HCRYPTKEY derived = 0;
    {
      Hash hash;
      if (!::CryptCreateHash(prov.get(), CALG_MD5, 0, 0, hash.out())) {
        return KeyStep::kCreateHash;
      }
      const BYTE* bytes = reinterpret_cast<const BYTE*>(password.data());
      if (!::CryptHashData(hash.get(), bytes, static_cast<DWORD>(password.size()), 0)) {
        return KeyStep::kHashData;
      }
      if (!::CryptDeriveKey(prov.get(), CALG_RC4, hash.get(), CRYPT_EXPORTABLE, &derived)) {
        return KeyStep::kDeriveKey;
      }
    }  // the hash is destroyed here, before any ciphering
    CryptoApiKey* made = new (std::nothrow) CryptoApiKey(prov.get(), derived);
    if (!made) {
      ::CryptDestroyKey(derived);
      return KeyStep::kDeriveKey;
    }
    prov.release();
    key->reset(made);
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
