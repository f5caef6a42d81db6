#include "file_listing.h"

#include "fs/file_names.h"

#ifdef _WIN32
#include <windows.h>

#include "fs/win_path.h"
#else
#include <sys/stat.h>
#endif

namespace qzcli {

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

bool EndsWithSeparator(const std::string& path) {
  return !path.empty() && qz::LastSeparator(path) == path.size() - 1;
}

}  // namespace

const char* KindRefusal(PathKind kind) {
  switch (kind) {
    case PathKind::kMissing: return "no such file or folder";
    case PathKind::kSymlink: return "a symbolic link; not followed";
    case PathKind::kFifo: return "a FIFO (named pipe), not a regular file";
    case PathKind::kDevice: return "a device, not a regular file";
    case PathKind::kOther: return "not a regular file or folder";
    case PathKind::kRegularFile:
    case PathKind::kDirectory: break;
  }
  return "";
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty() || EndsWithSeparator(dir)) return dir + name;
#ifdef _WIN32
  if (dir.size() == 2 && dir[1] == ':') return dir + name;  // "C:" means C:'s current folder
#endif
  return dir + kSeparator + name;
}

std::string BaseName(const std::string& path) {
  std::string trimmed = path;
  // Trailing separators ("dir/") do not end the name.
  while (trimmed.size() > 1 && EndsWithSeparator(trimmed)) trimmed.pop_back();
  const std::size_t sep = qz::LastSeparator(trimmed);
  std::size_t start = sep == std::string::npos ? 0 : sep + 1;
#ifdef _WIN32
  if (start == 0 && trimmed.size() >= 2 && trimmed[1] == ':') start = 2;
#endif
  return trimmed.substr(start);
}

#ifndef _WIN32

namespace {

bool IdentityOfStat(const struct stat& st, FileIdentity* id) {
  id->device = static_cast<std::uint64_t>(st.st_dev);
  id->file = static_cast<std::uint64_t>(st.st_ino);
  return true;
}

}  // namespace

bool IdentityOf(const std::string& path, bool follow, FileIdentity* id) {
  struct stat st;
  if ((follow ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) != 0) return false;
  return IdentityOfStat(st, id);
}

bool IdentityOfStandardInput(FileIdentity* id) {
  struct stat st;
  return ::fstat(0, &st) == 0 && IdentityOfStat(st, id);
}

bool FileSize(const std::string& path, std::uint64_t* size) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  *size = static_cast<std::uint64_t>(st.st_size);
  return true;
}

#else

namespace {

bool IdentityOfHandle(HANDLE handle, FileIdentity* id) {
  BY_HANDLE_FILE_INFORMATION info;
  if (handle == INVALID_HANDLE_VALUE || !::GetFileInformationByHandle(handle, &info)) return false;
  id->device = info.dwVolumeSerialNumber;
  id->file = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

}  // namespace

bool IdentityOf(const std::string& path, bool follow, FileIdentity* id) {
  const HANDLE handle = ::CreateFileW(
      qz::WidePath(path).c_str(), FILE_READ_ATTRIBUTES,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
      FILE_FLAG_BACKUP_SEMANTICS | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT), nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool known = IdentityOfHandle(handle, id);
  ::CloseHandle(handle);
  return known;
}

bool IdentityOfStandardInput(FileIdentity* id) {
  const HANDLE handle = ::GetStdHandle(STD_INPUT_HANDLE);
  return ::GetFileType(handle) == FILE_TYPE_DISK && IdentityOfHandle(handle, id);
}

bool FileSize(const std::string& path, std::uint64_t* size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(qz::WidePath(path).c_str(), GetFileExInfoStandard, &data)) return false;
  *size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

#endif

}  // namespace qzcli
