#include "fs/entry_kind.h"

#include "fs/win_handles.h"
#include "fs/win_path.h"

namespace qz {

namespace {

// Special files of the Linux subsystem, kept as reparse points.
constexpr std::uint32_t kTagUnixSocket = 0x80000023;
constexpr std::uint32_t kTagLinuxFifo = 0x80000024;
constexpr std::uint32_t kTagLinuxCharDevice = 0x80000025;
constexpr std::uint32_t kTagLinuxBlockDevice = 0x80000026;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// The handle's path as the system resolved it, with the volume's device name, which
// every volume has (a drive letter is not guaranteed). Empty when the file system
// cannot tell.
std::wstring FinalPath(HANDLE handle) {
  std::wstring path(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD length = ::GetFinalPathNameByHandleW(handle, &path[0], static_cast<DWORD>(path.size()),
                                                     FILE_NAME_NORMALIZED | VOLUME_NAME_NT);
    if (length == 0) return std::wstring();
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(length);  // too small: length is what it needs
  }
  return std::wstring();
}

// Whether handle is the entry at path itself: its final path is its folder's final path
// and the entry's own name. Where the system cannot tell, the handle's reparse tag has
// decided alone.
bool IsEntryItself(HANDLE handle, const std::string& path) {
  std::wstring wide = WidePath(path);
  while (wide.size() > 1 && IsSeparator(wide.back())) wide.pop_back();
  std::size_t sep = wide.size();
  while (sep > 0 && !IsSeparator(wide[sep - 1])) --sep;
  std::wstring folder = wide.substr(0, sep), name = wide.substr(sep);
  if (sep == 0 && wide.size() >= 2 && wide[1] == L':') {  // "C:name": C:'s current folder
    folder = wide.substr(0, 2);
    name = wide.substr(2);
  }
  if (folder.empty()) folder = L".";
  if (name.empty() || name == L"." || name == L"..") return true;  // a root, or no name of its own

  const std::wstring final = FinalPath(handle);
  const ScopedHandle dir(::CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (final.empty() || !dir.valid()) return true;
  std::wstring folderFinal = FinalPath(dir.get());
  if (folderFinal.empty()) return true;
  if (!IsSeparator(folderFinal.back())) folderFinal += L'\\';
  auto named = [&](const std::wstring& entryName) {
    const std::wstring expected = folderFinal + entryName;
    return ::CompareStringOrdinal(final.c_str(), -1, expected.c_str(), -1, TRUE) == CSTR_EQUAL;
  };
  if (named(name)) return true;
  // A short name is another spelling of the same entry: compare the name the folder lists.
  if (name.find_first_of(L"*?") != std::wstring::npos) return false;
  WIN32_FIND_DATAW found;
  const HANDLE search = ::FindFirstFileW(wide.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  ::FindClose(search);
  return name != found.cFileName && named(found.cFileName);
}

}  // namespace

EntryKind KindOfAttributes(std::uint32_t attributes, std::uint32_t reparseTag) {
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    // A tag nobody told could name anything; an app's execution alias starts a program.
    if (reparseTag == 0 || IsReparseTagNameSurrogate(reparseTag) || reparseTag == IO_REPARSE_TAG_APPEXECLINK)
      return EntryKind::kSymlink;
    if (reparseTag == kTagLinuxFifo) return EntryKind::kFifo;
    if (reparseTag == kTagLinuxCharDevice || reparseTag == kTagLinuxBlockDevice) return EntryKind::kDevice;
    if (reparseTag == kTagUnixSocket) return EntryKind::kOther;
    // Any other tag (cloud placeholders, deduplicated, compressed, offline storage): the
    // entry is what its attributes say.
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return EntryKind::kDirectory;
  if (attributes & FILE_ATTRIBUTE_DEVICE) return EntryKind::kDevice;
  return EntryKind::kRegularFile;
}

EntryKind KindOfOpened(HANDLE handle, const std::string& path, std::uint32_t* attributes) {
  FILE_ATTRIBUTE_TAG_INFO info = {};
  if (!::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &info, sizeof(info))) {
    // A file system that cannot tell the tag: a reparse point on it counts as a link.
    BY_HANDLE_FILE_INFORMATION basic;
    if (!::GetFileInformationByHandle(handle, &basic)) return EntryKind::kOther;
    info.FileAttributes = basic.dwFileAttributes;
  }
  if (attributes) *attributes = info.FileAttributes;
  const EntryKind kind = KindOfAttributes(info.FileAttributes, info.ReparseTag);
  if (kind != EntryKind::kRegularFile && kind != EntryKind::kDirectory) return kind;
  return IsEntryItself(handle, path) ? kind : EntryKind::kSymlink;
}

}  // namespace qz
