// What the fuzz targets share: a scratch folder for their files, whole-file reads and
// writes, and a check that stops the run on a broken promise.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace fuzz {

// Lives until exit: the atexit handler needs it after static destructors ran.
inline const std::string& WorkDir() {
  static const std::string* const dir = [] {
    const char* base = std::getenv("TMPDIR");
    auto* path = new std::string(std::string(base && *base ? base : "/tmp") + "/qz-fuzz-XXXXXX");
    if (::mkdtemp(path->data()) == nullptr) std::abort();
    std::atexit([] { ::rmdir(WorkDir().c_str()); });
    return path;
  }();
  return *dir;
}

inline void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "fuzz: %s\n", what);
    std::abort();
  }
}

inline bool WriteAll(const std::string& path, const std::uint8_t* data, std::size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

inline std::vector<std::uint8_t> ReadAll(const std::string& path) {
  std::vector<std::uint8_t> data;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return data;
  std::uint8_t buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
  std::fclose(f);
  return data;
}

}  // namespace fuzz
