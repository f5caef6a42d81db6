// The file list's context menu, and the folder batches it starts: every suitable file
// directly inside a folder, with one password prompt and one closing message.
#include <cstring>
#include <string>
#include <vector>

#include "dpi.h"
#include "file_browser_dlg.h"
#include "file_system.h"
#include "folder_scan.h"
#include "message_box.h"
#include "owner_draw_menu.h"
#include "qz_name.h"
#include "resource.h"
#include "text_conversion.h"
#include "win_path.h"

namespace {

std::wstring FormatCount(const char* utf8Template, int count) {
  std::wstring text = Utf8ToWide(utf8Template);
  const size_t at = text.find(L"%d");
  if (at != std::wstring::npos) text.replace(at, 2, std::to_wstring(count));
  return text;
}

// The names of the files directly inside a folder that a batch takes: an upgrade takes
// the ".qz" files.
bool TakesName(FileCommand command, const std::string& name) {
  switch (command) {
    case FileCommand::kEncrypt: return qz::BatchTakesName(true, name);
    case FileCommand::kDecrypt: return qz::BatchTakesName(false, name);
    case FileCommand::kUpgrade: return qz::BatchTakesName(false, name) && !qz::HasStrongExtension(name);
  }
  return false;
}

}  // namespace

void CFileBrowserDlg::OnListRClick(NMHDR* header, LRESULT* result) {
  *result = 0;
  m_nMenuItem = reinterpret_cast<NMITEMACTIVATE*>(header)->iItem;
  if (m_nMenuItem == -1) return;
  ShowContextMenu(m_nMenuItem);
}

void CFileBrowserDlg::ShowContextMenu(int item) {
  if (!ItemPath(item, m_szItemPath)) return;
  // Lives until tracking ends: the system hands the item records back while it is shown.
  COwnerDrawMenu menu;
  if (!menu.CreatePopupMenu()) return;
  // A folder by the rule the listing and the batches use: hidden, read-only and cloud
  // folders too, links to folders not.
  const std::string path(m_szItemPath);
  if (qz::KindOf(path) == qz::EntryKind::kDirectory) {
    menu.AppendMenuUtf8(MF_STRING, ID_MENU_ENCRYPT, "加密");
    menu.AppendMenuUtf8(MF_STRING, ID_MENU_DECRYPT, "解密");
    menu.AppendMenuUtf8(MF_STRING, ID_MENU_UPGRADE, "升级为强加密");
  } else if (qz::HasEncryptedExtension(path)) {
    menu.AppendMenuUtf8(MF_STRING, ID_MENU_DECRYPT, "解密");
    menu.AppendMenuUtf8(MF_STRING, ID_MENU_UPGRADE, "升级为强加密");
  } else if (qz::HasStrongExtension(path)) {
    menu.AppendMenuUtf8(MF_STRING, ID_MENU_DECRYPT, "解密");
  } else {
    menu.AppendMenuUtf8(MF_STRING, ID_MENU_ENCRYPT, "加密");
  }
  menu.ConvertToOwnerDraw(&menu);
  menu.UpdateCommandStates(&menu, this);

  POINT position = {};
  POINT origin = {};
  RECT label = {LVIR_LABEL, 0, 0, 0};
  m_lvFiles.SendMessage(LVM_GETITEMPOSITION, static_cast<WPARAM>(item),
                        reinterpret_cast<LPARAM>(&position));
  m_lvFiles.SendMessage(LVM_GETORIGIN, 0, reinterpret_cast<LPARAM>(&origin));
  m_lvFiles.SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&label));
  // Below and right of the item's label, in the main window's client coordinates; the
  // offsets are 96-dpi pixels, as the window's layout is.
  const int dpi = DpiOfWindow(m_hWnd);
  POINT point = {position.x + (label.right - label.left) - origin.x + ScaleToDpi(28, dpi),
                 position.y + (label.bottom - label.top) - origin.y + ScaleToDpi(66, dpi)};
  ClientToScreen(m_hWnd, &point);
  menu.TrackPopupMenu(TPM_RIGHTBUTTON, point.x, point.y, this);
  menu.DestroyMenu();
}

void CFileBrowserDlg::OnMenuEncrypt() { RunFolderBatch(FileCommand::kEncrypt); }

void CFileBrowserDlg::OnMenuDecrypt() { RunFolderBatch(FileCommand::kDecrypt); }

void CFileBrowserDlg::RunFileCommand(FileCommand command, const char* path) {
  switch (command) {
    case FileCommand::kEncrypt: return EncryptOneFile(path);
    case FileCommand::kDecrypt: return DecryptOneFile(path);
    case FileCommand::kUpgrade: return UpgradeOneFile(path);
  }
}

void CFileBrowserDlg::RunFolderBatch(FileCommand command) {
  if (m_nMenuItem < 0) {
    m_nMenuItem = -1;
    return;
  }
  if (!ItemPath(m_nMenuItem, m_szItemPath)) {
    m_nMenuItem = -1;
    return;
  }
  if (qz::KindOf(m_szItemPath) != qz::EntryKind::kDirectory) {
    // On a file, "解密" of a plain file encrypts it, as a double-click would.
    if (command == FileCommand::kDecrypt && !qz::IsEncryptedName(m_szItemPath)) command = FileCommand::kEncrypt;
    RunFileCommand(command, m_szItemPath);
    m_nMenuItem = -1;
    return;
  }

  const std::string folder = std::string(m_szItemPath) + "\\";
  const bool encrypt = command == FileCommand::kEncrypt;
  qz::FolderScan scan;
  // Pre-scan: files of the other kind are left alone, but the user is asked first. An
  // upgrade leaves plain and strong files alone and has nothing to ask.
  if (command != FileCommand::kUpgrade) {
    scan = qz::ScanFolder(folder, "*.*");
    for (const qz::FolderEntry& entry : scan.entries) {
      if (!qz::BatchTakes(!encrypt, entry)) continue;
      const char* question = encrypt ? "此目录下已有加密文件,是否继续?" : "此目录下有未加密文件,是否继续?";
      if (AfxMessageBox(question, MB_YESNO) == IDNO) {
        m_nMenuItem = -1;
        return;
      }
      break;
    }
    if (scan.opened && !scan.complete) AfxMessageBox("Couldn't find next file.", MB_OK);
  }

  // The names are taken before any file changes, so the batch's own outputs never come up.
  scan = qz::ScanFolder(folder, "*.*");
  std::vector<std::string> paths;
  int unfinished = 0;
  m_nLinksLeft = m_nOthersLeft = 0;
  for (const qz::FolderEntry& entry : scan.entries) {
    if (qz::IsUnfinishedOutput(entry)) ++unfinished;
    if (!TakesName(command, entry.name)) continue;
    // A path too long for the system is not left out: the engine refuses it with its
    // message, so the user hears of it. A link the listing shows as a file is left when
    // its turn comes.
    if (entry.kind == qz::EntryKind::kRegularFile)
      paths.push_back(folder + entry.name);
    else if (entry.kind == qz::EntryKind::kSymlink)
      ++m_nLinksLeft;
    else if (entry.kind != qz::EntryKind::kDirectory && entry.kind != qz::EntryKind::kMissing)
      ++m_nOthersLeft;
  }
  RunFileBatch(paths, command);
  if (scan.opened && !scan.complete) AfxMessageBox("Couldn't find next file.", MB_OK);
  if (unfinished > 0) {
    AfxMessageBox(FormatCount("此目录下有 %d 个未完成的临时文件（~qz*.tmp），可能属于中断的或正在进行的操作，已保留原样。",
                              unfinished),
                  MB_OK);
  }
  AfxMessageBox(ClosingReport(command == FileCommand::kEncrypt   ? "目录加密完成！"
                              : command == FileCommand::kDecrypt ? "目录解密完成！"
                                                                 : "目录升级完成！"),
                MB_OK);
  m_nMenuItem = -1;
}

std::wstring CFileBrowserDlg::ClosingReport(const char* closing) {
  std::wstring text = Utf8ToWide(closing);
  if (m_nLinksLeft > 0) text += L"\n" + FormatCount("已跳过 %d 个链接。", m_nLinksLeft);
  if (m_nOthersLeft > 0) text += L"\n" + FormatCount("已跳过 %d 个不是普通文件的项目（如设备）。", m_nOthersLeft);
  m_nLinksLeft = m_nOthersLeft = 0;
  return text;
}

void CFileBrowserDlg::RunFileBatch(const std::vector<std::string>& paths, FileCommand command) {
  // Every batch asks for its own password: none carries over from an earlier operation.
  WipePassword();
  m_bBatch = TRUE;
  m_batchPasswordUse = BatchDecryptionUse(paths);
  m_nReplaceAnswer = 0;
  m_nUnopened = 0;
  for (const std::string& path : paths) RunFileCommand(command, path.c_str());
  WipePassword();
  m_bBatch = FALSE;
  m_nReplaceAnswer = 0;
  RefreshListing();
  if (m_nUnopened > 0) AfxMessageBox(FormatCount("有 %d 个文件未能用此密码解密，已保留原样。", m_nUnopened), MB_OK);
  m_nUnopened = 0;
}
