// Strong (".age") files in the main window: which forms of the password an operation
// needs, and the upgrade of ".qz" files into strong ones. Strong files are encrypted and
// decrypted through the same flows as ".qz" files (file_commands.cpp, folder_batches.cpp).
#include <string>
#include <vector>

#include "file_browser_dlg.h"
#include "message_box.h"
#include "qz_name.h"
#include "replace_transaction.h"

PasswordUse CFileBrowserDlg::BatchDecryptionUse(const std::vector<std::string>& paths) {
  bool qzFiles = false, strongFiles = false;
  for (const std::string& path : paths) (qz::HasStrongExtension(path) ? strongFiles : qzFiles) = true;
  if (qzFiles && strongFiles) return PasswordUse::kBothKinds;
  return strongFiles ? PasswordUse::kStrongFiles : PasswordUse::kQzFiles;
}

PasswordUse CFileBrowserDlg::DecryptionUse(const std::string& path) const {
  if (m_bBatch) return m_batchPasswordUse;
  return qz::HasStrongExtension(path) ? PasswordUse::kStrongFiles : PasswordUse::kQzFiles;
}

void CFileBrowserDlg::UpgradeOneFile(const char* path) {
  const std::string source(path);
  // Only a stale menu command gets here with another file; no password is asked for it.
  if (!qz::HasEncryptedExtension(source)) {
    AfxMessageBox("只能升级 .qz 文件。", MB_OK);
    return;
  }
  if (LeftAsLink(path) || !AskDecryptionPassword(PasswordUse::kUpgrade)) return;
  // The same typed password opens the ".qz" file (code page 936) and protects its strong
  // file (UTF-8).
  RunDecryption(
      path,
      [&](const qz::TransactionOptions& options) {
        return qz::ReplaceWithUpgraded(source, m_szPassword, m_strStrongPassword, options);
      },
      "升级成功！");
}

void CFileBrowserDlg::OnMenuUpgrade() { RunFolderBatch(FileCommand::kUpgrade); }
