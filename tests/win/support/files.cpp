#include "support/files.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/text.h"

namespace qz::wintest {

namespace {

std::string WithSeparator(const std::string& folder) {
  return !folder.empty() && folder.back() == '\\' ? folder : folder + "\\";
}

// Test paths are whole and plain ("C:\..."): a long one is simply given the long-path
// form, independently of the engine's own conversion.
std::wstring SystemPath(const std::string& path) {
  const std::wstring wide = Utf8ToWide(path);
  return wide.size() >= MAX_PATH - 12 && wide.compare(0, 2, L"\\\\") != 0 ? L"\\\\?\\" + wide : wide;
}

}  // namespace

TempDir::TempDir() {
  wchar_t base[MAX_PATH + 1];
  const DWORD len = ::GetTempPathW(MAX_PATH + 1, base);
  EXPECT_TRUE(len > 0 && len < MAX_PATH + 1);
  static unsigned counter = 0;
  for (;;) {
    path_ = WideToUtf8(base) + "qzwin" + std::to_string(::GetCurrentProcessId()) + "_" +
            std::to_string(++counter);
    if (::CreateDirectoryW(Utf8ToWide(path_).c_str(), nullptr)) break;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) {
      ADD_FAILURE() << "cannot create " << path_;
      break;
    }
  }
}

TempDir::~TempDir() { RemoveTree(path_); }

std::vector<std::string> TempDir::Names() const { return NamesIn(path_); }

std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  HANDLE search = ::FindFirstFileW(SystemPath(WithSeparator(folder) + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = WideToUtf8(found.cFileName);
    if (name != "." && name != "..") names.push_back(name);
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

void RemoveTree(const std::string& folder) {
  const std::string prefix = WithSeparator(folder);
  for (const std::string& name : NamesIn(prefix)) {
    const std::wstring path = SystemPath(prefix + name);
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
      RemoveTree(prefix + name);
    else
      ::DeleteFileW(path.c_str());
  }
  const std::wstring path = SystemPath(folder);
  ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_DIRECTORY);
  ::RemoveDirectoryW(path.c_str());
}

void MakeDir(const std::string& path, DWORD attributes) {
  ASSERT_TRUE(::CreateDirectoryW(SystemPath(path).c_str(), nullptr)) << path;
  if (attributes) {
    ASSERT_TRUE(::SetFileAttributesW(SystemPath(path).c_str(), attributes | FILE_ATTRIBUTE_DIRECTORY));
  }
}

void MakeFile(const std::string& path, const Bytes& bytes, DWORD attributes) {
  ASSERT_TRUE(WriteBytes(path, bytes)) << path;
  if (attributes) {
    ASSERT_TRUE(::SetFileAttributesW(SystemPath(path).c_str(), attributes));
  }
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
  HANDLE file = ::CreateFileW(SystemPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = bytes.empty() || (::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                                                &written, nullptr) &&
                                    written == bytes.size());
  return ::CloseHandle(file) && ok;
}

Bytes ReadBytes(const std::string& path, bool* ok) {
  Bytes bytes;
  bool read = false;
  HANDLE file = ::CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    std::uint8_t chunk[65536];
    DWORD got = 0;
    while ((read = ::ReadFile(file, chunk, sizeof(chunk), &got, nullptr)) && got > 0) {
      bytes.insert(bytes.end(), chunk, chunk + got);
    }
    ::CloseHandle(file);
  }
  if (ok) *ok = read;
  return bytes;
}

DWORD Attributes(const std::string& path) { return ::GetFileAttributesW(SystemPath(path).c_str()); }

bool Exists(const std::string& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

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
