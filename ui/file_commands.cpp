// One file's command, as a double-click or the context menu gives it: encryption into
// ".qz" or ".age", decryption, and the upgrade of a ".qz" file into a strong one. What each
// decides lives in the operations layer; the window answers its questions.
#include "file_browser_dlg.h"
#include "file_error_text.h"
#include "file_session.h"
#include "fs/file_system.h"
#include "message_box.h"
#include "text_conversion.h"
#include "worker_call.h"

void CFileBrowserDlg::EncryptOneFile(const char* path) { RunFileCommand(FileCommand::kEncrypt, path); }

void CFileBrowserDlg::DecryptOneFile(const char* path) { RunFileCommand(FileCommand::kDecrypt, path); }

void CFileBrowserDlg::UpgradeOneFile(const char* path) { RunFileCommand(FileCommand::kUpgrade, path); }

void CFileBrowserDlg::RunFileCommand(FileCommand command, const char* path) {
  // The password served this one file only: the session wipes it as it ends.
  WindowFrontEnd prompts = Prompts();
  qzops::FileSession session(prompts, prompts.Settings());
  session.Run(command, path);
}

WindowFrontEnd CFileBrowserDlg::Prompts() {
  return WindowFrontEnd(m_hWnd, [this] { RefreshListing(); },
                      [this](const std::string& path) { return ProbeFileSize(path.c_str()); }, m_settings);
}

ULONGLONG CFileBrowserDlg::ProbeFileSize(const char* path) {
  // A path beyond the system's limit gets the engine's one message, not two.
  if (qz::PathLength(path) > qz::MaxPathLength()) return 0;
  // The first open of the file can take long (a network drive, a file in the cloud): the
  // window keeps answering meanwhile.
  qz::SizeProbe probe;
  const std::exception_ptr error = RunOnWorker([&] { probe = qz::ProbeFileSize(path); }, [] {});
  if (error) std::rethrow_exception(error);
  if (probe.ok) return probe.size;
  // The operation goes on; the engine reports its own failure if the file cannot be read.
  AfxMessageBox(Utf8ToWide(FormatFileError(probe.cause, path)), MB_OK);
  return 0;
}
