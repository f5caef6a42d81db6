#include "test_support.h"

#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <random>

#include "fs/file_system.h"

namespace fs = std::filesystem;

namespace qz::test {

namespace {

class RecordingKey final : public CipherKey {
 public:
  RecordingKey(std::unique_ptr<CipherKey> inner, std::vector<CipherCall>* calls)
      : inner_(std::move(inner)), calls_(calls) {}
  bool Encrypt(std::uint8_t* data, std::size_t len, bool final) override {
    calls_->push_back({len, final});
    return inner_->Encrypt(data, len, final);
  }
  bool Decrypt(std::uint8_t* data, std::size_t len, bool final) override {
    calls_->push_back({len, final});
    return inner_->Decrypt(data, len, final);
  }

 private:
  std::unique_ptr<CipherKey> inner_;
  std::vector<CipherCall>* calls_;
};

}  // namespace

ScratchDir::ScratchDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/qz-unit-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {
    ADD_FAILURE() << "mkdtemp failed for " << pattern;
  }
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  // Read-only files and folders are removable by their owner; make sure of it anyway.
  for (const auto& entry : fs::recursive_directory_iterator(path_, ec)) {
    fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(path_, ec);
}

std::vector<std::string> ScratchDir::List() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(path_)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

bool ScratchDir::HasTemporaryFile() const {
  for (const auto& name : List()) {
    if (IsTemporaryName(name) || name.rfind("~qz", 0) == 0) return true;
  }
  return false;
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << "cannot read " << path;
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const Bytes& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  out.close();
  ASSERT_TRUE(out.good()) << "cannot write " << path;
}

Bytes RandomBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes data(size);
  for (auto& b : data) b = static_cast<std::uint8_t>(rng());
  return data;
}

void MakeReadOnly(const std::string& path) {
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

bool IsReadOnly(const std::string& path) { return IsReadOnlyFile(path); }

std::string Hex(const std::uint8_t* data, std::size_t len) {
  static const char digits[] = "0123456789abcdef";
  std::string s;
  for (std::size_t i = 0; i < len; ++i) {
    s += digits[data[i] >> 4];
    s += digits[data[i] & 15];
  }
  return s;
}

std::string ShellQuote(const std::string& text) {
  std::string q = "'";
  for (char c : text) {
    if (c == '\'') {
      q += "'\\''";
    } else {
      q += c;
    }
  }
  return q + "'";
}

bool OpensslCipher(const std::string& cipher, const std::string& hexKey, const std::string& in,
                   const std::string& out) {
  const std::string cmd = "openssl enc -" + cipher + " -provider legacy -provider default -K " +
                          hexKey + " -nopad -in " + ShellQuote(in) + " -out " + ShellQuote(out) +
                          " 2>/dev/null";
  const int status = std::system(cmd.c_str());
  return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool OpensslRc4Available() {
  static const bool available = [] {
    if (std::system("command -v openssl >/dev/null 2>&1") != 0) return false;
    ScratchDir dir;
    WriteFile(dir / "zero", Bytes(16));
    return OpensslCipher("rc4", "00000000000000000000000000000000", dir / "zero", dir / "ks");
  }();
  return available;
}

Bytes OpensslKeyStream(const std::string& cipher, const std::string& hexKey, std::size_t len) {
  ScratchDir dir;
  WriteFile(dir / "zero", Bytes(len));
  EXPECT_TRUE(OpensslCipher(cipher, hexKey, dir / "zero", dir / "ks"));
  return ReadFile(dir / "ks");
}

KeyStep RecordingBackend::DeriveKey(const Secret& password,
                                    std::unique_ptr<CipherKey>* key) const {
  std::unique_ptr<CipherKey> inner;
  const KeyStep step = inner_.DeriveKey(password, &inner);
  if (step == KeyStep::kOk) *key = std::make_unique<RecordingKey>(std::move(inner), &calls_);
  return step;
}

std::ostream& operator<<(std::ostream& os, const CipherCall& call) {
  return os << "{" << call.len << (call.final ? ", final}" : "}");
}

}  // namespace qz::test
