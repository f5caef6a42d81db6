// Helpers the engine tests share: a scratch folder per test, whole-file reads and
// writes, and the OpenSSL command line as an independent RC4.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "qz/cipher.h"

namespace qz::test {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder, removed with everything in it when the test ends.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  // Names in the folder, sorted.
  std::vector<std::string> List() const;
  // Whether any name in the folder is a temporary output.
  bool HasTemporaryFile() const;

 private:
  std::string path_;
};

Bytes ReadFile(const std::string& path);
void WriteFile(const std::string& path, const Bytes& data);
// Deterministic pseudo-random bytes.
Bytes RandomBytes(std::size_t size, std::uint32_t seed);

void MakeReadOnly(const std::string& path);
bool IsReadOnly(const std::string& path);

std::string Hex(const std::uint8_t* data, std::size_t len);
// The text as one word for sh.
std::string ShellQuote(const std::string& text);

// Runs `openssl enc -<cipher>` with a hex key on a file. False if openssl fails.
bool OpensslCipher(const std::string& cipher, const std::string& hexKey, const std::string& in,
                   const std::string& out);
// Whether the openssl command line with RC4 is usable here.
bool OpensslRc4Available();

// RC4 key stream from openssl: `len` zero bytes enciphered.
Bytes OpensslKeyStream(const std::string& cipher, const std::string& hexKey, std::size_t len);

// Records every cipher call (length and final flag) and passes it on.
struct CipherCall {
  std::size_t len;
  bool final;
  bool operator==(const CipherCall& o) const { return len == o.len && final == o.final; }
};

class RecordingBackend final : public CipherBackend {
 public:
  explicit RecordingBackend(const CipherBackend& inner) : inner_(inner) {}
  KeyStep DeriveKey(const Secret& password, std::unique_ptr<CipherKey>* key) const override;
  const char* Name() const override { return "recording"; }

  std::vector<CipherCall>& calls() const { return calls_; }

 private:
  const CipherBackend& inner_;
  mutable std::vector<CipherCall> calls_;
};

std::ostream& operator<<(std::ostream& os, const CipherCall& call);

}  // namespace qz::test
