// Writes the fuzzers' seed corpora: real ".qz" files (selector byte 0 = the
// password "fuzz") and a few short or damaged ones; and strong files under "fuzz" at
// the lowest work factors, binary and armored, with a foreign and a damaged one.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "age/strong_file.h"
#include "qz/file_cipher.h"

namespace {

bool Write(const std::string& path, const std::vector<std::uint8_t>& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  return out.good();
}

std::vector<std::uint8_t> Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Strict PEM as age -a writes it: padded base64 in lines of 64 columns.
std::vector<std::uint8_t> Armored(const std::vector<std::uint8_t>& binary) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (std::size_t i = 0; i < binary.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, binary.size() - i);
    std::uint32_t group = 0;
    for (std::size_t k = 0; k < 3; ++k) group = group << 8 | (k < n ? binary[i + k] : 0);
    for (std::size_t k = 0; k < 4; ++k) text += k <= n ? kDigits[group >> (18 - 6 * k) & 63] : '=';
  }
  std::string out = "-----BEGIN AGE ENCRYPTED FILE-----\n";
  for (std::size_t i = 0; i < text.size(); i += 64) out += text.substr(i, 64) + "\n";
  out += "-----END AGE ENCRYPTED FILE-----\n";
  return std::vector<std::uint8_t>(out.begin(), out.end());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_seeds QZ-DIR STRONG-DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  const std::string strongDir = argv[2];
  int written = 0;
  const std::size_t sizes[] = {0, 10, 999, 1000, 2500};
  for (std::size_t size : sizes) {
    std::vector<std::uint8_t> plain(size);
    for (std::size_t i = 0; i < size; ++i) plain[i] = static_cast<std::uint8_t>(i * 31 + 7);
    const std::string plainPath = dir + "/plain.tmp";
    const std::string qzPath = dir + "/plain.tmp.qz";
    if (!Write(plainPath, plain)) return 1;
    qz::CipherOptions options;
    options.backend = &qz::PortableBackend();
    options.headerName = "\xB1\xA8\xB8\xE6 " + std::to_string(size) + ".doc";
    if (qz::EncryptFileData(plainPath, qzPath, qz::Secret("fuzz", 4), options) != qz::EncryptStep::kOk) return 1;
    std::vector<std::uint8_t> seed = {0};
    const std::vector<std::uint8_t> qz = Read(qzPath);
    seed.insert(seed.end(), qz.begin(), qz.end());
    std::remove(plainPath.c_str());
    std::remove(qzPath.c_str());
    if (!Write(dir + "/qz-" + std::to_string(size), seed)) return 1;
    ++written;
    // The same file under another password: mostly refused.
    seed[0] = 1;
    if (!Write(dir + "/other-" + std::to_string(size), seed)) return 1;
    ++written;
  }
  if (!Write(dir + "/short", {0, 1, 2, 3})) return 1;
  if (!Write(dir + "/zeros", std::vector<std::uint8_t>(300, 0))) return 1;
  written += 2;
  std::printf("%d seeds in %s\n", written, dir.c_str());

  int strong = 0;
  const std::string plainPath = strongDir + "/plain.tmp";
  const std::string agePath = strongDir + "/plain.tmp.age";
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{1000}, std::size_t{65536},
                           std::size_t{65537}}) {
    std::vector<std::uint8_t> plain(size);
    for (std::size_t i = 0; i < size; ++i) plain[i] = static_cast<std::uint8_t>(i * 7 + 3);
    if (!Write(plainPath, plain)) return 1;
    qz::CipherOptions options;
    options.workFactor = 1 + static_cast<int>(size % 2);
    if (qz::EncryptStrongFile(plainPath, agePath, qz::Secret("fuzz", 4), options) != qz::EncryptStep::kOk) return 1;
    const std::vector<std::uint8_t> age = Read(agePath);
    std::remove(agePath.c_str());
    if (!Write(strongDir + "/age-" + std::to_string(size), age)) return 1;
    ++strong;
    if (size <= 1000) {
      if (!Write(strongDir + "/armored-" + std::to_string(size), Armored(age))) return 1;
      ++strong;
    }
  }
  std::remove(plainPath.c_str());
  const std::string foreign =
      "age-encryption.org/v1\n-> X25519 TEiF0ypqr+bpvcqXNyCVJpL7OuwPdVwPL7KQEbFDOCc\n"
      "hjabGXwSLQ9c3S6Lw2i+S2Tu2fiwQHHslbBN6B41FLE\n"
      "--- f2AoyFXU2R5Cn7s38vH1pFkuKqzPh3ibwwHc/7y6RRU\n";
  if (!Write(strongDir + "/x25519", std::vector<std::uint8_t>(foreign.begin(), foreign.end()))) return 1;
  if (!Write(strongDir + "/short", {'a', 'g', 'e'})) return 1;
  strong += 2;
  std::printf("%d seeds in %s\n", strong, strongDir.c_str());
  return 0;
}
