// One file's command, as a double-click or the context menu gives it: encryption into
// ".qz" or ".age", decryption, and the upgrade of a ".qz" file into a strong one. What each
// decides lives in the operations layer; the window answers its questions.
#include "file_browser_dlg.h"
#include "file_error_text.h"
#include "file_session.h"
#include "fs/file_system.h"
#include "message_box.h"
#include "text_conversion.h"

void CFileBrowserDlg::EncryptOneFile(const char* path) { RunFileCommand(FileCommand::kEncrypt, path); }

void CFileBrowserDlg::DecryptOneFile(const char* path) { RunFileCommand(FileCommand::kDecrypt, path); }

void CFileBrowserDlg::UpgradeOneFile(const char* path) { RunFileCommand(FileCommand::kUpgrade, path); }

void CFileBrowserDlg::RunFileCommand(FileCommand command, const char* path) {
  // The password served this one file only: the session wipes it as it ends.
  WindowFrontEnd prompts = Prompts();
  qzops::FileSession session(prompts, WindowFrontEnd::Settings());
  session.Run(command, path);
}

WindowFrontEnd CFileBrowserDlg::Prompts() {
  return WindowFrontEnd([this] { RefreshListing(); },
                      [this](const std::string& path) { return ProbeFileSize(path.c_str()); }, m_settings);
}

ULONGLONG CFileBrowserDlg::ProbeFileSize(const char* path) {
  // A path beyond the system's limit gets the engine's one message, not two.
  if (qz::PathLength(path) > qz::MaxPathLength()) return 0;
  qz::SizeProbe probe = qz::ProbeFileSize(path);
  if (probe.ok) return probe.size;
  // The operation goes on; the engine reports its own failure if the file cannot be read.
  AfxMessageBox(Utf8ToWide(FormatFileError(probe.cause, path)), MB_OK);
  return 0;
}
