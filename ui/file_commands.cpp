// Double-click and back button: navigation, and encryption or decryption of one file,
// ".qz" or strong (".age").
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "display_name.h"
#include "file_browser_dlg.h"
#include "file_error_text.h"
#include "file_system.h"
#include "folder_scan.h"
#include "message_box.h"
#include "operation_messages.h"
#include "password_dialogs.h"
#include "progress_dlg.h"
#include "qz_name.h"
#include "replace_transaction.h"
#include "secure_wipe.h"
#include "text_conversion.h"

namespace {


qz::TransactionOptions OptionsFor(ProgressWindowSink* progress, ULONGLONG sizeHint) {
  qz::TransactionOptions options;
  options.cipher.backend = &qz::CryptoApiBackend();
  options.cipher.progress = progress;
  options.cipher.sizeHint = sizeHint;
  return options;
}

// A fixed text with "%s" replaced by a name.
std::wstring WithName(const char* utf8Template, const std::wstring& name) {
  std::wstring text = Utf8ToWide(utf8Template);
  const size_t at = text.find(L"%s");
  if (at != std::wstring::npos) text.replace(at, 2, name);
  return text;
}

// A header's name is code page 936 by the format, whatever the system's code page.
std::wstring CodePage936ToWide(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int length = MultiByteToWideChar(936, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(936, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

// Whether the user wants a file with other names (hard links) worked on all the same.
bool MayLeaveOtherLinks(const char* question, const char* path) {
  std::string dir, name;
  qz::SplitPath(path, &dir, &name);
  return AfxMessageBox(WithName(question, Utf8ToWide(name)), MB_YESNO) == IDYES;
}

constexpr char kEncryptLinksQuestion[] = "“%s”还有其他链接，加密后其他链接仍是明文。仍要加密吗？";
constexpr char kDecryptLinksQuestion[] = "“%s”还有其他链接，解密后其他链接仍是加密文件。仍要解密吗？";
// A wrong password gives a name this short too often for the match to prove anything.
constexpr char kUnconfirmedNotice[] = "文件名过短，无法确认密码；已保留加密文件。";

// The verdicts a batch counts as files its password does not open: a wrong ".qz" password
// can also give another plausible name, and an empty entry opens no strong file.
bool PasswordDidNotOpen(qz::DecryptStep step) {
  return step == qz::DecryptStep::kWrongPassword || step == qz::DecryptStep::kNameMismatch ||
         step == qz::DecryptStep::kEmptyPassword;
}

}  // namespace

bool CFileBrowserDlg::HasBatchPassword() const {
  return m_bBatch && (m_szPassword[1] != '\0' || m_strStrongPassword.size() >= 2);
}

bool CFileBrowserDlg::AskEncryptionPassword() {
  // Inside a batch the password is asked for until one of two or more bytes is given.
  if (HasBatchPassword()) return true;
  CEncryptPasswordDlg dialog;
  if (dialog.DoModal() != IDOK) return false;
  WipePassword();
  m_bStrongEncryption = dialog.m_bStrong;
  // The dialog gives at most 259 bytes of code page 936, so this always fits.
  std::snprintf(m_szPassword, sizeof(m_szPassword), "%s", dialog.m_strPassword.c_str());
  m_strStrongPassword.swap(dialog.m_strStrongPassword);
  return true;
}

bool CFileBrowserDlg::AskDecryptionPassword(PasswordUse use) {
  if (HasBatchPassword()) return true;
  CDecryptPasswordDlg dialog(use);
  if (dialog.DoModal() != IDOK) return false;
  WipePassword();
  std::snprintf(m_szPassword, sizeof(m_szPassword), "%s", dialog.m_strPassword.c_str());
  m_strStrongPassword.swap(dialog.m_strStrongPassword);
  return true;
}

void CFileBrowserDlg::WipePassword() {
  qz::SecureWipe(m_szPassword, sizeof(m_szPassword));
  qz::SecureWipe(&m_strStrongPassword);
  m_bStrongEncryption = FALSE;
}

void CFileBrowserDlg::ProbeFileSize(const char* path) {
  // A path beyond the system's limit gets the engine's one message, not two.
  if (qz::PathLength(path) > qz::MaxPathLength()) {
    m_nFileSize = 0;
    return;
  }
  qz::SizeProbe probe = qz::ProbeFileSize(path);
  if (probe.ok) {
    m_nFileSize = probe.size;
    return;
  }
  // The operation goes on; the engine reports its own failure if the file cannot be read.
  std::wstring text = Utf8ToWide(FileErrorTemplate(probe.cause));
  size_t placeholder = text.find(L"%1");
  if (placeholder != std::wstring::npos) text.replace(placeholder, 2, Utf8ToWide(path));
  AfxMessageBox(text, MB_OK);
  m_nFileSize = 0;
}

bool CFileBrowserDlg::MayReplace(const std::string& destination) {
  // A batch asks once, for all the files whose output name is taken.
  if (m_bBatch && m_nReplaceAnswer != 0) return m_nReplaceAnswer == IDYES;
  std::string dir, name;
  qz::SplitPath(destination, &dir, &name);
  const int answer = AfxMessageBox(WithName("“%s”已存在，是否替换？", Utf8ToWide(name)), MB_YESNO);
  if (m_bBatch) m_nReplaceAnswer = answer;
  return answer == IDYES;
}

bool CFileBrowserDlg::LeftAsLink(const char* path) {
  if (qz::KindOf(path) != qz::EntryKind::kSymlink) return false;
  if (m_bBatch) {
    ++m_nLinksLeft;  // told once, when the batch ends
    return true;
  }
  std::string dir, name;
  qz::SplitPath(path, &dir, &name);
  AfxMessageBox(WithName("“%s”是一个链接，请对它指向的文件操作。", Utf8ToWide(DisplayName(name))), MB_OK);
  return true;
}

void CFileBrowserDlg::EncryptOneFile(const char* path) {
  if (LeftAsLink(path) || !AskEncryptionPassword()) return;
  ProbeFileSize(path);
  bool replace = m_bBatch && m_nReplaceAnswer == IDYES, acceptLinks = false;
  for (;;) {
    ProgressWindowSink progress;
    qz::TransactionOptions options = OptionsFor(&progress, m_nFileSize);
    options.replaceExisting = replace;
    options.cipher.refuseOtherLinks = !acceptLinks;
    qz::EncryptResult result = m_bStrongEncryption
                                   ? qz::ReplaceWithStrongEncrypted(path, m_strStrongPassword, options)
                                   : qz::ReplaceWithEncrypted(path, m_szPassword, options);
    progress.End();
    if (result.step == qz::EncryptStep::kHasOtherLinks) {
      if (!MayLeaveOtherLinks(kEncryptLinksQuestion, path)) return FinishSingle();
      acceptLinks = true;
      continue;
    }
    if (result.step == qz::EncryptStep::kDestinationExists && !replace) {
      if (!MayReplace(result.destination)) return FinishSingle();
      replace = true;
      continue;
    }
    FinishOperation(result.outcome, EncryptFailureText(result.step), "加密成功！", path);
    return;
  }
}

void CFileBrowserDlg::DecryptOneFile(const char* path) {
  const std::string name(path);
  if (LeftAsLink(path) || !AskDecryptionPassword(DecryptionUse(name))) return;
  if (qz::HasStrongExtension(name)) {
    return RunDecryption(
        path,
        [&](const qz::TransactionOptions& options) {
          return qz::ReplaceWithStrongDecrypted(name, m_strStrongPassword, options);
        },
        "解密成功！", kDecryptLinksQuestion);
  }
  if (!qz::HasEncryptedExtension(name)) {
    AfxMessageBox("不能用于非本系统加密的文件！", MB_OK);
    return FinishSingle();
  }
  RunDecryption(
      path,
      [&](const qz::TransactionOptions& options) { return qz::ReplaceWithDecrypted(name, m_szPassword, options); },
      "解密成功！", kDecryptLinksQuestion);
}

void CFileBrowserDlg::RunDecryption(const char* path,
                                    const std::function<qz::DecryptResult(const qz::TransactionOptions&)>& run,
                                    const char* success, const char* linksQuestion) {
  ProbeFileSize(path);
  bool replace = m_bBatch && m_nReplaceAnswer == IDYES, acceptOtherName = false;
  bool acceptLinks = linksQuestion == nullptr;
  for (;;) {
    ProgressWindowSink progress;
    qz::TransactionOptions options = OptionsFor(&progress, m_nFileSize);
    options.replaceExisting = replace;
    options.cipher.acceptOtherName = acceptOtherName;
    options.cipher.refuseOtherLinks = !acceptLinks;
    int workFactor = 0;
    options.cipher.workFactorFound = &workFactor;
    qz::DecryptResult result = run(options);
    progress.End();
    if (m_bBatch && PasswordDidNotOpen(result.step)) {
      ++m_nUnopened;  // told once, after the batch
      return;
    }
    if (result.step == qz::DecryptStep::kHasOtherLinks && linksQuestion) {
      if (!MayLeaveOtherLinks(linksQuestion, path)) return FinishSingle();
      acceptLinks = true;
      continue;
    }
    if (result.step == qz::DecryptStep::kNameMismatch) {
      // A renamed file, or a wrong password that happens to give a name: the user judges
      // from the stored name, and the ".qz" stays either way.
      const std::wstring question = WithName(
          "文件中记录的原文件名是“%s”，与现在的文件名不同，可能密码不对。仍要解密吗？（加密文件会保留）",
          CodePage936ToWide(result.name.stored));
      if (AfxMessageBox(question, MB_YESNO) != IDYES) return FinishSingle();
      acceptOtherName = true;
      continue;
    }
    if (result.step == qz::DecryptStep::kDestinationExists && !replace) {
      if (!MayReplace(result.destination)) return FinishSingle();
      replace = true;
      continue;
    }
    // Matched, but by a name too short to tell a wrong password: the ".qz" stayed.
    const bool unconfirmed = result.outcome == qz::Outcome::kDone && result.sourceKept &&
                             result.name.matches;
    if (unconfirmed && m_bBatch) AfxMessageBox(kUnconfirmedNotice, MB_OK);
    FinishOperation(result.outcome, DecryptFailureMessage(result.step, workFactor).c_str(),
                    unconfirmed ? kUnconfirmedNotice : success, path);
    return;
  }
}

void CFileBrowserDlg::FinishOperation(qz::Outcome outcome, const char* failure,
                                      const char* success, const char* source) {
  switch (outcome) {
    case qz::Outcome::kFailed:
      // Every file is as it was: nothing to list again.
      AfxMessageBox(failure, MB_OK);
      return FinishSingle();
    case qz::Outcome::kSourceChanged:
      AfxMessageBox("源文件在处理过程中被改动，已保留源文件。", MB_OK);
      break;
    case qz::Outcome::kSourceNotDeleted:
      AfxMessageBox(WithName("无法删除源文件“%s”，已保留源文件。", Utf8ToWide(source)), MB_OK);
      break;
    case qz::Outcome::kDone:
      if (!m_bBatch) AfxMessageBox(success, MB_OK);
      break;
  }
  // A batch lists its folder's parent once, when it ends.
  if (!m_bBatch) RefreshListing();
  FinishSingle();
}

void CFileBrowserDlg::FinishSingle() {
  // Outside a batch the password served this one file only.
  if (!m_bBatch) WipePassword();
}

std::string CFileBrowserDlg::ItemName(int item) const {
  if (item >= 0 && static_cast<size_t>(item) < m_itemNames.size()) return m_itemNames[static_cast<size_t>(item)];
  return m_lvFiles.GetItemText(item);
}

bool CFileBrowserDlg::ItemPath(int item, char (&path)[1024]) {
  // The name on disk, not the one shown: the output is named from it, and a display
  // name can differ from it in case. Where only the display name ends in ".qz"
  // ("DATA.QZ"), the file is reached through that spelling of its extension, which the
  // engine requires and the file system takes for the same name.
  std::string name = ItemName(item);
  if (qz::HasEncryptedExtension(m_lvFiles.GetItemText(item)) && !qz::HasEncryptedExtension(name))
    name = qz::AppendEncryptedExtension(qz::StripEncryptedExtension(name));
  const std::string full = m_szCurrentDir + name;
  if (qz::PathLength(full) > qz::MaxPathLength() || full.size() >= sizeof(path)) {
    AfxMessageBox("路径太长，无法处理此项。", MB_OK);
    return false;
  }
  std::snprintf(path, sizeof(path), "%s", full.c_str());
  return true;
}

void CFileBrowserDlg::OnListDblClick(NMHDR* header, LRESULT* result) {
  *result = 0;
  ActivateItem(reinterpret_cast<NMITEMACTIVATE*>(header)->iItem);
}

void CFileBrowserDlg::ActivateItem(int item) {
  if (item == -1) return;
  if (m_lvFiles.GetItemData(item) & FILE_ATTRIBUTE_DIRECTORY) {
    const std::string name = ItemName(item);
    // The new folder must still take a pattern ("*") within the system's limit.
    const std::string folder = m_szCurrentDir + name + "\\";
    if (qz::PathLength(folder) + 1 > qz::MaxPathLength() || folder.size() >= sizeof(m_szCurrentDir)) {
      AfxMessageBox("路径太长，无法进入此目录。", MB_OK);
      return;
    }
    std::strcat(m_szCurrentDir, name.c_str());
    std::strcat(m_szCurrentDir, "\\");
    RefreshListing();
    return;
  }
  if (!ItemPath(item, m_szItemPath)) return;
  if (qz::IsEncryptedName(m_szItemPath))
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
  std::string parent(m_szCurrentDir, length - 1);
  size_t separator = qz::LastSeparator(parent);
  if (separator == std::string::npos) return;
  std::string left = parent.substr(separator + 1);
  m_szCurrentDir[separator + 1] = '\0';
  RefreshListing();
  // The folder one came from; a path typed or dropped in another case is found by the
  // name the list shows.
  const int item = FindItemByDiskName(left);
  SelectItem(item >= 0 ? item : FindItem(DisplayName(left)));
}
