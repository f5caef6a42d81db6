// The progress window of a file operation or a batch: the file's name, its percentage and
// amount, the speed and the time left, the batch's position and whole progress, and the
// Cancel button. The engine reports from a worker thread into atomics; the window's
// thread reads them on its own clock and is the only one that touches the window.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "controls.h"
#include "dialog.h"
#include "steps/cancel_token.h"
#include "steps/progress.h"

class CProgressDlg : public CDialog {
 public:
  // Cancel, Esc and the close box request cancel.
  explicit CProgressDlg(qz::CancelToken& cancel);
  // Modeless: the window ends here, while the object is whole.
  ~CProgressDlg() override;
  CProgressCtrl m_progress;
  CProgressCtrl m_total;

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  // Enter does nothing; Cancel, Esc and the close box ask the operation to stop.
  void OnOK() override;
  void OnCancel() override;

 private:
  qz::CancelToken& m_cancel;
};

// What the engine reports on the worker: the steps of the range it began.
class SharedProgressSink : public qz::ProgressSink {
 public:
  void Begin(std::uint64_t range) override;
  void Advance(std::uint64_t steps) override;
  void End() override {}
  void KeyStepBegan() override { m_keyStep = true; }
  void KeyStepEnded() override { m_keyStep = false; }
  void Reset();
  // Bytes of a file of `size` done so far.
  std::uint64_t BytesDone(std::uint64_t size) const;
  bool InKeyStep() const { return m_keyStep.load(); }

 private:
  std::atomic<std::uint64_t> m_range{0};
  std::atomic<std::uint64_t> m_steps{0};
  std::atomic<bool> m_keyStep{false};
};

// One operation's progress on the window's thread: a file, or a batch of them. The window
// appears once the operation has run for half a second and stays until Close.
class OperationProgress {
 public:
  // cancel is the operation's: its window's Cancel requests it, and it shows once requested.
  explicit OperationProgress(qz::CancelToken& cancel);
  ~OperationProgress();
  // A folder's tree is searched: the window tells the files found so far (Found may be
  // called from the worker).
  void BeginSearch() { m_searching = true; }
  void Found(std::size_t count) { m_found.store(count, std::memory_order_relaxed); }
  // The batch's files by size, as measured before it began.
  void BeginBatch(const std::vector<std::uint64_t>& sizes);
  // index counts from 0 in a batch; size is the file's own.
  void BeginFile(const std::string& path, std::uint64_t size, int index);
  qz::ProgressSink* sink() { return &m_sink; }
  // The first engine call starts the clock: a prompt before it does not count.
  void Start();
  // Shows the window when its time has come and updates its texts; true when it is shown.
  bool Tick();
  HWND Window() const;
  void Close();

 private:
  struct Sample {
    std::uint64_t tick;
    std::uint64_t bytes;
  };
  void Create();
  void Show();
  void Update();
  void ShowSearch(HWND window);

  SharedProgressSink m_sink;
  qz::CancelToken& m_cancel;
  std::unique_ptr<CProgressDlg> m_pDialog;
  std::uint64_t m_started = 0;  // GetTickCount64 at the first engine call; 0 before
  bool m_failed = false;         // the window could not be made
  std::uint64_t m_lastUpdate = 0;
  bool m_searching = false;
  std::atomic<std::size_t> m_found{0};
  bool m_batch = false;
  std::vector<std::uint64_t> m_before;  // the batch's bytes before each file, and in all
  int m_index = 0;
  std::uint64_t m_totalBytes = 0;
  std::uint64_t m_finishedBytes = 0;  // the batch's files done before this one
  std::string m_path;
  std::uint64_t m_fileSize = 0;
  bool m_cancelShown = false;
  std::deque<Sample> m_samples;  // the last seconds' amounts, for the speed
};

// "12.3 MB", "2.0 GB": binary units, one decimal from KB on.
std::wstring FormatBytes(std::uint64_t bytes);
// "0:42", "1:05:00"
std::wstring FormatDuration(std::uint64_t seconds);
