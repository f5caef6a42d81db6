// The progress window of a large file's encryption or decryption, and the engine's
// progress callback that shows it.
#pragma once

#include <cstdint>

#include "controls.h"
#include "dialog.h"
#include "progress.h"

class CProgressDlg : public CDialog {
 public:
  CProgressDlg();
  // Modeless: the window ends here, while the object is whole.
  ~CProgressDlg() override;
  CProgressCtrl m_progress;

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  // Modeless: OK and Cancel hide the window; its owner destroys it.
  void OnOK() override;
  void OnCancel() override;
};

// Creates the window when the engine begins a large file, steps the bar, and closes
// the window when the operation ends, successful or not.
class ProgressWindowSink : public qz::ProgressSink {
 public:
  ~ProgressWindowSink() override;
  void Begin(std::uint64_t range) override;
  void Advance(std::uint64_t steps) override;
  void End() override;

 private:
  CProgressDlg* m_pDialog = nullptr;
  std::uint64_t m_nDone = 0;
  std::uint64_t m_nRange = 0;
  int m_nShown = -1;
};
