#include "shell_icon.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "fs/win_path.h"

int ShellIconIndex(const char* utf8Path, bool isFolder) {
  SHFILEINFOW info = {};
  // The shell takes no long-path form; with SHGFI_USEFILEATTRIBUTES it reads the name alone.
  std::wstring wide = qz::WidePath(utf8Path);
  if (wide.rfind(L"\\\\?\\", 0) == 0) wide = wide.substr(wide.find_last_of(L'\\') + 1);
  SHGetFileInfoW(wide.c_str(), isFolder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL, &info,
                 sizeof(info), SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON);
  return info.iIcon;
}
