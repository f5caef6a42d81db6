#include "test_dir.h"

#include <gtest/gtest.h>

#include "win_path.h"


namespace qz::wintest {

TempDir::TempDir() {
  wchar_t base[MAX_PATH + 1];
  const DWORD len = ::GetTempPathW(MAX_PATH + 1, base);
  EXPECT_TRUE(len > 0 && len < MAX_PATH + 1);
  static unsigned counter = 0;
  for (;;) {
    path_ = Utf8Path(base) + "qzwin" + std::to_string(::GetCurrentProcessId()) + "_" +
            std::to_string(++counter);
    if (::CreateDirectoryW(WidePath(path_).c_str(), nullptr)) break;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) {
      ADD_FAILURE() << "cannot create " << path_;
      break;
    }
  }
}

TempDir::~TempDir() {
  for (const std::string& name : Names()) {
    const std::string file = File(name);
    ::SetFileAttributesW(WidePath(file).c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(WidePath(file).c_str());
  }
  ::RemoveDirectoryW(WidePath(path_).c_str());
}

std::vector<std::string> TempDir::Names() const {
  std::vector<std::string> names;
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW(WidePath(path_ + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = Utf8Path(data.cFileName);
    if (name != "." && name != "..") names.push_back(name);
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  return names;
}

Bytes PatternBytes(std::size_t size, std::uint32_t seed) {
  Bytes bytes(size);
  std::uint32_t x = seed * 2654435761u + 1;
  for (std::uint8_t& b : bytes) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    b = static_cast<std::uint8_t>(x >> 24);
  }
  return bytes;
}

bool WriteBytes(const std::string& path, const Bytes& bytes) {
  HANDLE file = ::CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = bytes.empty() || (::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                                                &written, nullptr) &&
                                    written == bytes.size());
  return ::CloseHandle(file) && ok;
}

Bytes ReadBytes(const std::string& path) {
  Bytes bytes;
  HANDLE file = ::CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  std::uint8_t chunk[65536];
  DWORD got = 0;
  while (::ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) {
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  ::CloseHandle(file);
  return bytes;
}

DWORD Attributes(const std::string& path) { return ::GetFileAttributesW(WidePath(path).c_str()); }

bool HasTemporaryFile(const TempDir& dir) {
  // Spelled out here rather than through the engine's own predicate.
  for (const std::string& name : dir.Names()) {
    if (name.size() >= 7 && name.compare(0, 3, "~qz") == 0 &&
        name.compare(name.size() - 4, 4, ".tmp") == 0) {
      return true;
    }
  }
  return false;
}

}  // namespace qz::wintest
