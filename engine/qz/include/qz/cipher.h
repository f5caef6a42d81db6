// One interface over the two ways of deriving the ".qz" key and running RC4:
// our own portable code, and the Windows CryptoAPI base provider.
//
// Key K = the first 5 bytes of MD5(password) followed by 11 zero bytes. A call with
// final = true ends a message: the next call starts again at key-stream byte 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "crypto/secret.h"

namespace qz {

class CipherKey {
 public:
  virtual ~CipherKey() = default;
  // Enciphers or deciphers len bytes in place. Returns false when the provider fails.
  virtual bool Encrypt(std::uint8_t* data, std::size_t len, bool final) = 0;
  virtual bool Decrypt(std::uint8_t* data, std::size_t len, bool final) = 0;
};

// Which step of key derivation failed.
enum class KeyStep {
  kOk,
  kAcquireContext,
  kCreateHash,
  kHashData,
  kDeriveKey,
};

class CipherBackend {
 public:
  virtual ~CipherBackend() = default;
  // password: the password's bytes in code page 936, without terminator.
  virtual KeyStep DeriveKey(const Secret& password, std::unique_ptr<CipherKey>* key) const = 0;
  virtual const char* Name() const = 0;
};

// Our own MD5 and RC4: no dependency, the same bytes on every platform.
const CipherBackend& PortableBackend();

#ifdef _WIN32
// "Microsoft Base Cryptographic Provider v1.0", with the stored-key step.
const CipherBackend& CryptoApiBackend();
#endif

// The backend a program uses unless told otherwise: CryptoAPI on Windows.
const CipherBackend& DefaultBackend();

}  // namespace qz
