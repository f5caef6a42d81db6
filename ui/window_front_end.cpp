#include "window_front_end.h"

#include <exception>
#include <utility>

#include "app.h"
#include "fs/file_names.h"
#include "message_box.h"
#include "message_template.h"
#include "operation_messages.h"
#include "password_dialogs.h"
#include "progress_dlg.h"
#include "qz/cipher.h"
#include "sent_messages.h"
#include "text_conversion.h"
#include "fs/win_path.h"
#include "worker_call.h"

namespace {

using qzops::Notice;
using qzops::Question;

std::string NameOf(const std::string& path) {
  std::string dir, name;
  qz::SplitPath(path, &dir, &name);
  return name;
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

std::wstring Count(const char* utf8Template, int count) {
  return FillTemplate<wchar_t>(Utf8ToWide(utf8Template), L"%d", std::to_wstring(count));
}

// A wrong password gives a name this short too often for the match to prove anything.
constexpr char kUnconfirmedNotice[] = "文件名过短，无法确认密码；已保留加密文件。";

std::wstring CancelledText(int done, int total) {
  std::wstring text = Count("已取消：已完成 %d 个文件，共 %d 个。", done);
  return FillTemplate<wchar_t>(text, L"%d", std::to_wstring(total));
}

std::wstring UnopenedText(int unopened) { return Count("有 %d 个文件未能用此密码解密，已保留原样。", unopened); }

std::uint64_t QuietSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExW(qz::WidePath(path).c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

WindowFrontEnd::WindowFrontEnd(HWND owner, std::function<void()> relist,
                               std::function<std::uint64_t(const std::string&, qz::CancelToken&)> sizeOf,
                               SettingsFile& settings)
    : m_hOwner(owner), m_relist(std::move(relist)), m_sizeOf(std::move(sizeOf)), m_pSettings(&settings) {}

WindowFrontEnd::~WindowFrontEnd() = default;

bool WindowFrontEnd::OfferWholeTree() {
  m_offerWholeTree = true;
  return true;
}

bool WindowFrontEnd::AskEncryptionPassword(qzops::Passwords* out) {
  CEncryptPasswordDlg dialog(*m_pSettings, std::exchange(m_offerWholeTree, false));
  if (dialog.DoModal() != IDOK) return false;
  out->wholeTree = dialog.m_bWholeTree;
  out->strongFiles = dialog.m_bStrong;
  out->qz = std::move(dialog.m_password);
  out->strong = std::move(dialog.m_strongPassword);
  return true;
}

bool WindowFrontEnd::AskDecryptionPassword(qzops::PasswordUse use, qzops::Passwords* out) {
  CDecryptPasswordDlg dialog(use, std::exchange(m_offerWholeTree, false) ? m_pSettings : nullptr);
  if (dialog.DoModal() != IDOK) return false;
  out->wholeTree = dialog.m_bWholeTree;
  out->qz = std::move(dialog.m_password);
  out->strong = std::move(dialog.m_strongPassword);
  return true;
}

bool WindowFrontEnd::AskNewStrongPassword(qz::Secret* out) {
  CNewStrongPasswordDlg dialog;
  if (dialog.DoModal() != IDOK) return false;
  *out = std::move(dialog.m_strongPassword);
  return true;
}

qzops::Answer WindowFrontEnd::Preset(Question question) {
  // An upgrade's strong file holds the same content as its ".qz": other names of it stay
  // encrypted either way, so there is nothing to ask.
  return question == Question::kUpgradeOtherLinks ? qzops::Answer::kYes : qzops::Answer::kAsk;
}

bool WindowFrontEnd::Confirm(Question question, const std::string& subject) {
  const char* text = "";
  std::wstring value = Utf8ToWide(subject);
  switch (question) {
    case Question::kReplace: text = "“%s”已存在，是否替换？"; break;
    case Question::kOtherName:
      text = "文件中记录的原文件名是“%s”，与现在的文件名不同，可能密码不对。仍要解密吗？（加密文件会保留）";
      value = CodePage936ToWide(subject);
      break;
    case Question::kEncryptOtherLinks: text = "“%s”还有其他链接，加密后其他链接仍是明文。仍要加密吗？"; break;
    case Question::kDecryptOtherLinks:
    case Question::kUpgradeOtherLinks:
      text = "“%s”还有其他链接，解密后其他链接仍是加密文件。仍要解密吗？";
      break;
    case Question::kFolderHasEncrypted: return AfxMessageBox("此目录下已有加密文件,是否继续?", MB_YESNO) != IDNO;
    case Question::kFolderHasPlain: return AfxMessageBox("此目录下有未加密文件,是否继续?", MB_YESNO) != IDNO;
  }
  return AfxMessageBox(FillTemplate<wchar_t>(Utf8ToWide(text), L"%s", value), MB_YESNO) == IDYES;
}

void WindowFrontEnd::Tell(Notice notice, const std::string& subject, int count) {
  switch (notice) {
    case Notice::kLink:
      AfxMessageBox(FillTemplate<wchar_t>(Utf8ToWide("“%s”是一个链接，请对它指向的文件操作。"), L"%s",
                                          Utf8ToWide(NameOf(subject))),
                    MB_OK);
      return;
    case Notice::kNotQz: AfxMessageBox("只能升级 .qz 文件。", MB_OK); return;
    case Notice::kScanIncomplete: AfxMessageBox("Couldn't find next file.", MB_OK); return;
    case Notice::kFoldersLeft:
      AfxMessageBox(FillTemplate<wchar_t>(Utf8ToWide(m_foldersLeft), L"%s", std::to_wstring(count)), MB_OK);
      return;
    case Notice::kUnfinishedFiles:
      AfxMessageBox(Count("此目录下有 %d 个未完成的临时文件（~qz*.tmp），可能属于中断的或正在进行的操作，已保留原样。",
                          count),
                    MB_OK);
      return;
  }
}

std::uint64_t WindowFrontEnd::SizeHint(const std::string& path) { return m_sizeOf(path, m_cancel); }

OperationProgress& WindowFrontEnd::Operation() {
  if (!m_pOperation) {
    m_cancel.Reset();
    m_pOperation = std::make_unique<OperationProgress>(m_cancel);
    m_hFocus = GetFocus();
  }
  return *m_pOperation;
}

void WindowFrontEnd::EndOperation() {
  if (!m_pOperation) return;
  // The main window is enabled again by now, so it takes the activation back.
  m_pOperation.reset();
  HWND main = m_hOwner;
  if (main && IsWindowEnabled(main)) {
    SetActiveWindow(main);
    if (m_hFocus && IsWindow(m_hFocus) && (m_hFocus == main || IsChild(main, m_hFocus))) SetFocus(m_hFocus);
  }
  m_hFocus = nullptr;
}

qz::ProgressSink* WindowFrontEnd::BeginProgress(const std::string& path, std::uint64_t size) {
  OperationProgress& operation = Operation();
  operation.BeginFile(path, size, m_inBatch ? m_batchIndex : 0);
  return operation.sink();
}

qzops::SessionSettings WindowFrontEnd::Settings() const {
  qzops::SessionSettings settings;
  settings.backend = &qz::CryptoApiBackend();
  settings.cancel = &m_cancel;
  return settings;
}

void WindowFrontEnd::ExpectFiles(int files) {
  m_runFiles = files;
  m_batchCount = files;
  m_batchDone = 0;
}

void WindowFrontEnd::Perform(const std::function<void()>& work) {
  OperationProgress& operation = Operation();
  operation.Start();
  const std::exception_ptr error = RunOnWorker(m_hOwner, m_cancel, work, [&operation] { operation.Tick(); });
  // A batch keeps its window from file to file.
  if (!m_inBatch) EndOperation();
  if (error) std::rethrow_exception(error);
}

void WindowFrontEnd::Finished(const qzops::FileReport& report) {
  if (report.Cancelled()) {
    // The file is as it was; a batch tells it once, at its end.
    m_cancelled = true;
    if (!report.inBatch) AfxMessageBox(CancelledText(0, 1), MB_OK);
    return;
  }
  const char* success = report.command == qzops::FileCommand::kEncrypt   ? "加密成功！"
                        : report.command == qzops::FileCommand::kDecrypt ? "解密成功！"
                                                                         : "升级成功！";
  if (report.unconfirmed) {
    if (report.inBatch) AfxMessageBox(kUnconfirmedNotice, MB_OK);
    success = kUnconfirmedNotice;
  }
  const qz::Outcome outcome = report.decryption ? report.decrypt.outcome : report.encrypt.outcome;
  // A file whose source had to stay is not done: the user still has it to deal with.
  const bool sourceKept = report.decryption && report.decrypt.sourceKept;
  if (report.inBatch && outcome == qz::Outcome::kDone && !sourceKept) ++m_batchDone;
  switch (outcome) {
    case qz::Outcome::kFailed:
      // Every file is as it was: nothing to list again.
      AfxMessageBox(FailureMessage(report).c_str(), MB_OK);
      return;
    case qz::Outcome::kSourceChanged: AfxMessageBox("源文件在处理过程中被改动，已保留源文件。", MB_OK); break;
    case qz::Outcome::kSourceNotDeleted:
      AfxMessageBox(FillTemplate<wchar_t>(Utf8ToWide("无法删除源文件“%s”，已保留源文件。"), L"%s",
                                          Utf8ToWide(NameOf(report.path))),
                    MB_OK);
      break;
    case qz::Outcome::kDone:
      if (!report.inBatch) AfxMessageBox(success, MB_OK);
      break;
  }
  // A batch lists its folder's parent once, when it ends.
  if (!report.inBatch) m_relist();
}

void WindowFrontEnd::BatchBegan(const std::vector<std::string>& paths) {
  m_inBatch = true;
  m_batchIndex = 0;
  if (m_runFiles == 0) {
    m_batchCount = static_cast<int>(paths.size());
    m_batchDone = 0;
  }
  m_cancelled = false;
  std::vector<std::uint64_t> sizes;
  sizes.reserve(paths.size());
  // A whole tree's files take a while to measure: the window keeps answering meanwhile.
  OperationProgress& operation = Operation();
  // A close meanwhile cancels the batch before its first file.
  const std::exception_ptr error = RunOnWorker(
      m_hOwner, m_cancel, [&] { for (const std::string& path : paths) sizes.push_back(QuietSize(path)); }, [] {});
  if (error) std::rethrow_exception(error);
  operation.BeginBatch(sizes);
}

std::function<void(std::size_t)> WindowFrontEnd::BeginSearch(const std::string& folder) {
  (void)folder;
  OperationProgress& operation = Operation();
  operation.BeginSearch();
  return [&operation](std::size_t found) { operation.Found(found); };
}

void WindowFrontEnd::BatchFileBegan(std::size_t index) { m_batchIndex = static_cast<int>(index); }

void WindowFrontEnd::BatchEnded(int unopened) {
  m_inBatch = false;
  EndOperation();
  {
    // A large folder takes a while to list, before the closing message.
    SentMessagesAnswered answered;
    m_relist();
  }
  if (m_cancelled) {
    // One message for the batch's end: what was done, and what the password did not open.
    std::wstring text = CancelledText(m_batchDone, m_batchCount);
    if (unopened > 0) text += L"\n" + UnopenedText(unopened);
    AfxMessageBox(text, MB_OK);
    return;
  }
  if (unopened > 0) AfxMessageBox(UnopenedText(unopened), MB_OK);
}
