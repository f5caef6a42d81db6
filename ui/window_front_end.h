// The window's side of a file operation: its password dialogs, message boxes and progress
// window answer what the operations layer asks, and its texts report each file.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "front_end.h"
#include "steps/cancel_token.h"

class OperationProgress;
class SettingsFile;

class WindowFrontEnd : public qzops::FrontEnd {
 public:
  // owner is the main window, held back while a file is worked on; relist shows the
  // folder again after a change; sizeOf measures a file for the progress window (0 after
  // telling why it cannot); settings keep the encryption dialog's choice of file.
  WindowFrontEnd(HWND owner, std::function<void()> relist,
                 std::function<std::uint64_t(const std::string&, qz::CancelToken&)> sizeOf, SettingsFile& settings);
  ~WindowFrontEnd() override;

  // What every engine call of the window's sessions is given: the cancel is this front
  // end's, which its progress window sets.
  qzops::SessionSettings Settings() const;
  // The message for folders a selection or drop leaves ("%s": their count).
  void TellFoldersLeftAs(const char* text) { m_foldersLeft = text; }

  bool AskEncryptionPassword(qzops::Passwords* out) override;
  bool AskDecryptionPassword(qzops::PasswordUse use, qzops::Passwords* out) override;
  bool AskNewStrongPassword(qz::Secret* out) override;
  bool OfferWholeTree() override;
  qzops::Answer Preset(qzops::Question question) override;
  bool Confirm(qzops::Question question, const std::string& subject) override;
  void Tell(qzops::Notice notice, const std::string& subject, int count) override;
  std::uint64_t SizeHint(const std::string& path) override;
  qz::ProgressSink* BeginProgress(const std::string& path, std::uint64_t size) override;
  // The work runs on a worker thread while this thread keeps the windows answering: the
  // main window takes no input meanwhile, and closing it asks for a cancel.
  void Perform(const std::function<void()>& work) override;
  void Finished(const qzops::FileReport& report) override;
  void BatchBegan(const std::vector<std::string>& paths) override;
  void ExpectFiles(int files) override;
  void BatchFileBegan(std::size_t index) override;
  std::function<void(std::size_t)> BeginSearch(const std::string& folder) override;
  void BatchEnded(int unopened) override;

 private:
  // An operation is one file, or a batch from its first file to its end.
  OperationProgress& Operation();
  void EndOperation();

  HWND m_hOwner;
  std::function<void()> m_relist;
  std::function<std::uint64_t(const std::string&, qz::CancelToken&)> m_sizeOf;
  SettingsFile* m_pSettings;
  std::unique_ptr<OperationProgress> m_pOperation;
  qz::CancelToken m_cancel;  // the operation's: its progress window and the main window set it
  HWND m_hFocus = nullptr;  // where the keyboard was when the operation began
  bool m_offerWholeTree = false;  // by the next password prompt
  const char* m_foldersLeft = "%s";
  bool m_inBatch = false;
  int m_batchIndex = 0;
  int m_batchCount = 0;
  int m_batchDone = 0;    // files the batch finished with an output and no source kept
  int m_runFiles = 0;     // ExpectFiles' count; 0: each batch counts on its own
  bool m_cancelled = false;
};
