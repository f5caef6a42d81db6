// Scratch folders and files for the Windows tests. Paths are UTF-8, as the engine's are.
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
  // Names of the entries in the folder, sorted.
  std::vector<std::string> Names() const;

 private:
  std::string path_;
};

// Names of the entries in folder (with or without a final '\'), sorted; "." and ".."
// left out.
std::vector<std::string> NamesIn(const std::string& folder);
// Removes folder with everything in it, read-only or hidden entries too.
void RemoveTree(const std::string& folder);
// Test steps: each fails the test when the entry cannot be made.
void MakeDir(const std::string& path, DWORD attributes = 0);
void MakeFile(const std::string& path, const Bytes& bytes = {}, DWORD attributes = 0);

Bytes PatternBytes(std::size_t size, std::uint32_t seed);
bool WriteBytes(const std::string& path, const Bytes& bytes);
// The file's bytes; *ok tells whether it could be opened and read to its end.
Bytes ReadBytes(const std::string& path, bool* ok = nullptr);
DWORD Attributes(const std::string& path);
bool Exists(const std::string& path);
bool HasTemporaryFile(const TempDir& dir);

}  // namespace qz::wintest
