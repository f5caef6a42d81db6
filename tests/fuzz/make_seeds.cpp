// Writes the fuzzer's seed corpus: real ".qz" files (selector byte 0 = the
// password "fuzz") and a few short or damaged ones.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "file_cipher.h"

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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
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
    if (qz::EncryptFileData(plainPath, qzPath, "fuzz", options) != qz::EncryptStep::kOk) return 1;
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
  return 0;
}
