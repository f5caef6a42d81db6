// Files and folders dropped on the main window: a folder is listed; a single file's
// folder is listed and the file gets what a double-click gives it; several files are
// encrypted or decrypted as a batch of just those files. Paths the program is started
// with, and several items selected in the list, take the same way.
#include <string>
#include <vector>

#include "file_browser_dlg.h"
#include "fs/file_system.h"
#include "folder_reading.h"
#include "message_box.h"
#include "message_template.h"
#include "fs/file_names.h"
#include "text_conversion.h"
#include "fs/win_path.h"

namespace {

// The paths as UTF-8, or false after telling the user of the first one that cannot be
// worked on: a path is never cut or changed to fit.
bool UsablePaths(const std::vector<std::wstring>& widePaths, std::vector<std::string>* paths) {
  for (const std::wstring& wide : widePaths) {
    if (wide.empty()) continue;
    std::string path = qz::Utf8Path(wide.c_str());
    if (path.empty()) {
      AfxMessageBox(FillTemplate<wchar_t>(Utf8ToWide("“%s”的名称含有本系统无法表示的字符，无法处理。"), L"%s", wide), MB_OK);
      return false;
    }
    // A folder also needs room for its backslash and the listing's "*".
    if (wide.size() + 2 > qz::MaxPathLength()) {
      AfxMessageBox(FillTemplate<wchar_t>(Utf8ToWide("路径太长，无法处理“%s”。"), L"%s", wide), MB_OK);
      return false;
    }
    paths->push_back(std::move(path));
  }
  return true;
}

std::vector<std::wstring> DroppedPaths(HDROP drop) {
  std::vector<std::wstring> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::wstring wide(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
    wide.resize(DragQueryFileW(drop, i, &wide[0], static_cast<UINT>(wide.size())));
    paths.push_back(std::move(wide));
  }
  return paths;
}

}  // namespace

void CFileBrowserDlg::OnDropFiles(HDROP drop) {
  const std::vector<std::wstring> dropped = DroppedPaths(drop);
  DragFinish(drop);
  std::vector<std::string> paths;
  if (UsablePaths(dropped, &paths)) OpenPaths(paths);
}

void CFileBrowserDlg::OpenPaths(const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  if (paths.size() == 1) return DropOneItem(paths.front());
  m_commands.RunPaths(paths, FileCommand::kEncrypt, "一次拖放多项时只处理文件，%s 个目录未作处理。",
                      [this](const std::string& folder) { ShowFolder(folder); });
}

void CFileBrowserDlg::DropOneItem(const std::string& path) {
  if (FolderKindOfPath(path) != FolderKind::kNone) {
    ShowFolder(path);
    return;
  }
  std::string dir, name;
  qz::SplitPath(path, &dir, &name);
  if (dir.empty() || name.empty()) return;
  ShowFolder(dir);
  // The file is found by its name on disk, so it gets exactly a double-click's command
  // on that item.
  const int item = m_list.FindByDiskName(name);
  if (item < 0) return;
  m_list.Select(item);
  ActivateItem(item);
}

// --- started with paths ---------------------------------------------------------------

std::wstring CFileBrowserDlg::FullPathOf(const std::wstring& argument) {
  // Sized by the system, not by MAX_PATH: a path too long is refused later, by name.
  DWORD size = GetFullPathNameW(argument.c_str(), 0, nullptr, nullptr);
  for (int attempt = 0; size > 0 && attempt < 4; ++attempt) {
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(argument.c_str(), size, &full[0], nullptr);
    if (length == 0) break;
    if (length < size) {
      full.resize(length);
      return full;
    }
    size = length;  // the current folder changed in between
  }
  return std::wstring();
}

std::string CFileBrowserDlg::StartFolder() {
  if (m_startPaths.size() != 1) return std::string();
  std::string path = qz::Utf8Path(m_startPaths.front().c_str());
  if (path.empty() || m_startPaths.front().size() + 2 > qz::MaxPathLength() || FolderKindOfPath(path) == FolderKind::kNone)
    return std::string();
  m_startPaths.clear();
  return path;
}

LRESULT CFileBrowserDlg::OnStartPaths(WPARAM, LPARAM) {
  const std::vector<std::wstring> wide = std::move(m_startPaths);
  m_startPaths.clear();
  // A path that is not there stops them all, as an unusable one in a drop does: the
  // user hears of it, and nothing else is done.
  for (const std::wstring& path : wide) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
    AfxMessageBox(FillTemplate<wchar_t>(Utf8ToWide("找不到“%s”。"), L"%s", path), MB_OK);
    return 0;
  }
  std::vector<std::string> paths;
  if (UsablePaths(wide, &paths)) OpenPaths(paths);
  return 0;
}
