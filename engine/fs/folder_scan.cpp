#include "fs/folder_scan.h"

#include "fs/file_names.h"
#include "fs/file_system.h"

#ifdef _WIN32
#include <windows.h>

#include "fs/entry_kind.h"
#include "fs/win_path.h"
#else
#include <dirent.h>
#include <cerrno>
#include <sys/stat.h>
#endif

namespace qz {

namespace {

#ifndef _WIN32

EntryKind KindOfMode(mode_t mode) {
  if (S_ISREG(mode)) return EntryKind::kRegularFile;
  if (S_ISDIR(mode)) return EntryKind::kDirectory;
  if (S_ISLNK(mode)) return EntryKind::kSymlink;
  if (S_ISFIFO(mode)) return EntryKind::kFifo;
  if (S_ISCHR(mode) || S_ISBLK(mode)) return EntryKind::kDevice;
  return EntryKind::kOther;
}

#endif

}  // namespace

#ifdef _WIN32

EntryKind KindOf(const std::string& path) {
  const std::wstring wide = WidePath(path);
  // Attributes only: such an open is never refused for sharing, and opens the link
  // itself where there is one.
  const HANDLE entry = ::CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                     nullptr);
  if (entry != INVALID_HANDLE_VALUE) {
    const EntryKind kind = KindOfOpened(entry, path);
    ::CloseHandle(entry);
    return kind;
  }
  // Not to be opened at all: what its folder's listing says (a pattern would match
  // other names).
  WIN32_FIND_DATAW found;
  // Only the name counts: the long-path form itself starts with "\\?\".
  const std::size_t nameStart = wide.find_last_of(L"\\/");
  const bool pattern =
      wide.find_first_of(L"*?", nameStart == std::wstring::npos ? 0 : nameStart + 1) != std::wstring::npos;
  const HANDLE search = pattern ? INVALID_HANDLE_VALUE : ::FindFirstFileW(wide.c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    ::FindClose(search);
    return KindOfAttributes(found.dwFileAttributes, found.dwReserved0);
  }
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return EntryKind::kMissing;
  return KindOfAttributes(attributes, 0);
}

FolderScan ScanFolder(const std::string& dir, const std::string& pattern) {
  FolderScan scan;
  WIN32_FIND_DATAW found;
  const HANDLE search = ::FindFirstFileW(WidePath(JoinPath(dir, pattern)).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    // A folder without a matching name is read completely.
    scan.opened = scan.complete = ::GetLastError() == ERROR_FILE_NOT_FOUND;
    return scan;
  }
  scan.opened = true;
  do {
    const std::string name = Utf8Path(found.cFileName);
    // A name without a UTF-8 form is left out: no path could reach that file.
    if (name.empty() || name == "." || name == "..") continue;
    // The tag is there whenever the attributes hold FILE_ATTRIBUTE_REPARSE_POINT.
    scan.entries.push_back(
        {name, KindOfAttributes(found.dwFileAttributes, found.dwReserved0), found.dwFileAttributes});
  } while (::FindNextFileW(search, &found));
  scan.complete = ::GetLastError() == ERROR_NO_MORE_FILES;
  ::FindClose(search);
  return scan;
}

#else

EntryKind KindOf(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return EntryKind::kMissing;
  return KindOfMode(st.st_mode);
}

FolderScan ScanFolder(const std::string& dir, const std::string&) {
  FolderScan scan;
  DIR* d = ::opendir(dir.c_str());
  if (!d) return scan;
  scan.opened = true;
  for (;;) {
    errno = 0;  // readdir tells the end and an error apart only through errno
    const dirent* e = ::readdir(d);
    if (!e) break;
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    scan.entries.push_back({name, KindOf(JoinPath(dir, name)), 0});
  }
  scan.complete = errno == 0;
  ::closedir(d);
  return scan;
}

#endif

bool IsUnfinishedOutput(const FolderEntry& entry) {
  return entry.kind == EntryKind::kRegularFile && IsTemporaryName(entry.name);
}

bool BatchTakesName(bool encrypt, const std::string& name) {
  return !IsTemporaryName(name) && IsEncryptedName(name) != encrypt;
}

bool BatchTakes(bool encrypt, const FolderEntry& entry) {
  return entry.kind == EntryKind::kRegularFile && BatchTakesName(encrypt, entry.name);
}

}  // namespace qz
