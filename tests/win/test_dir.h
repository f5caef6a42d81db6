// Scratch folders and file helpers for the Windows tests. Paths are UTF-8, as the
// engine's are.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace qz::wintest {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder under the user's temporary folder, removed with its files.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }
  // Names of the entries in the folder, "." and ".." left out.
  std::vector<std::string> Names() const;

 private:
  std::string path_;
};

Bytes PatternBytes(std::size_t size, std::uint32_t seed);
bool WriteBytes(const std::string& path, const Bytes& bytes);
Bytes ReadBytes(const std::string& path);
DWORD Attributes(const std::string& path);
bool HasTemporaryFile(const TempDir& dir);

}  // namespace qz::wintest
