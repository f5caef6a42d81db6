// Double-click and back button: navigation, and encryption or decryption of one file.
#include <cstdio>
#include <cstring>

#include "file_browser_dlg.h"
#include "file_system.h"
#include "message_box.h"
#include "operation_messages.h"
#include "password_dialogs.h"
#include "progress_dlg.h"
#include "qz_name.h"
#include "replace_transaction.h"
#include "text_conversion.h"

namespace {

// Patterns and paths for the A functions end at MAX_PATH bytes with the terminator.
constexpr size_t kMaxPathBytes = MAX_PATH - 1;

qz::TransactionOptions OptionsFor(ProgressWindowSink* progress, ULONGLONG sizeHint) {
  qz::TransactionOptions options;
  options.cipher.backend = &qz::CryptoApiBackend();
  options.cipher.progress = progress;
  options.cipher.sizeHint = sizeHint;
  return options;
}

}  // namespace

bool CFileBrowserDlg::AskPassword(bool forEncryption) {
  // Inside a batch the password is asked for until one of two or more bytes is given.
  if (m_bBatch && m_szPassword[1] != '\0') return true;
  std::string password;
  if (forEncryption) {
    CEncryptPasswordDlg dialog;
    if (dialog.DoModal() != IDOK) return false;
    password = dialog.m_strPassword;
  } else {
    CDecryptPasswordDlg dialog;
    if (dialog.DoModal() != IDOK) return false;
    password = dialog.m_strPassword;
  }
  // The dialogs accept at most 259 bytes, so this always fits.
  std::snprintf(m_szPassword, sizeof(m_szPassword), "%s", password.c_str());
  return true;
}

void CFileBrowserDlg::ProbeFileSize(const char* path) {
  qz::SizeProbe probe = qz::ProbeFileSize(path);
  if (probe.ok) {
    m_nFileSize = probe.size;
    return;
  }
  // The operation goes on; the engine reports its own failure if the file cannot be read.
  std::wstring text = Utf8ToWide(qz::FileErrorTemplate(probe.cause));
  size_t placeholder = text.find(L"%1");
  if (placeholder != std::wstring::npos) text.replace(placeholder, 2, AnsiToWide(path));
  AfxMessageBox(text, MB_OK);
  m_nFileSize = 0;
}

void CFileBrowserDlg::EncryptOneFile(const char* path) {
  if (!AskPassword(true)) return;
  ProbeFileSize(path);
  ProgressWindowSink progress;
  qz::EncryptResult result =
      qz::ReplaceWithEncrypted(path, m_szPassword, OptionsFor(&progress, m_nFileSize));
  progress.End();
  FinishOperation(result.outcome, EncryptFailureText(result.step), "加密成功！");
}

void CFileBrowserDlg::DecryptOneFile(const char* path) {
  if (!AskPassword(false)) return;
  if (!qz::HasEncryptedExtension(std::string(path))) {
    AfxMessageBox("不能用于非本系统加密的文件！", MB_OK);
    return;
  }
  ProbeFileSize(path);
  ProgressWindowSink progress;
  qz::DecryptResult result =
      qz::ReplaceWithDecrypted(path, m_szPassword, OptionsFor(&progress, m_nFileSize));
  progress.End();
  FinishOperation(result.outcome, DecryptFailureText(result.step), "解密成功！");
}

void CFileBrowserDlg::FinishOperation(qz::Outcome outcome, const char* failure,
                                      const char* success) {
  switch (outcome) {
    case qz::Outcome::kFailed:
      // Every file is as it was: nothing to list again.
      AfxMessageBox(failure, MB_OK);
      return;
    case qz::Outcome::kSourceNotDeleted:
      break;  // the source stayed, so nothing is lost
    case qz::Outcome::kDone:
      if (!m_bBatch) AfxMessageBox(success, MB_OK);
      break;
  }
  // A batch lists its folder's parent once, when it ends.
  if (!m_bBatch) RefreshListing();
}

bool CFileBrowserDlg::ItemPath(int item, char (&path)[1024]) {
  std::string text = m_lvFiles.GetItemText(item);
  size_t length = std::strlen(m_szCurrentDir) + text.size();
  if (length > kMaxPathBytes) {
    AfxMessageBox("路径太长，无法处理此项。", MB_OK);
    return false;
  }
  std::snprintf(path, sizeof(path), "%s%s", m_szCurrentDir, text.c_str());
  return true;
}

void CFileBrowserDlg::OnListDblClick(NMHDR* header, LRESULT* result) {
  *result = 0;
  int item = reinterpret_cast<NMITEMACTIVATE*>(header)->iItem;
  if (item == -1) return;
  if (m_lvFiles.GetItemData(item) & FILE_ATTRIBUTE_DIRECTORY) {
    std::string name = m_lvFiles.GetItemText(item);
    // The new folder must still take a pattern ("*") within the A functions' limit.
    if (std::strlen(m_szCurrentDir) + name.size() + 2 > kMaxPathBytes) {
      AfxMessageBox("路径太长，无法进入此目录。", MB_OK);
      return;
    }
    std::strcat(m_szCurrentDir, name.c_str());
    std::strcat(m_szCurrentDir, "\\");
    RefreshListing();
    return;
  }
  if (!ItemPath(item, m_szItemPath)) return;
  if (qz::HasEncryptedExtension(std::string(m_szItemPath)))
    DecryptOneFile(m_szItemPath);
  else
    EncryptOneFile(m_szItemPath);
}

void CFileBrowserDlg::OnBackToParent() {
  size_t length = std::strlen(m_szCurrentDir);
  if (length == 3) {
    AfxMessageBox("已经到了根目录了！", MB_OK);
    return;
  }
  if (length == 0) return;
  // Separators are found character by character: a double-byte character's trail byte
  // may be 0x5C.
  std::string parent(m_szCurrentDir, length - 1);
  size_t separator = qz::LastSeparator(parent);
  if (separator == std::string::npos) return;
  m_szCurrentDir[separator + 1] = '\0';
  RefreshListing();
}
