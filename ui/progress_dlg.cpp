#include "progress_dlg.h"

#include <algorithm>
#include <cstdio>

#include "fs/file_names.h"
#include "message_template.h"
#include "resource.h"
#include "sent_messages.h"
#include "text_conversion.h"

namespace {

constexpr std::uint64_t kShowAfterMs = 500;
constexpr std::uint64_t kUpdateEveryMs = 100;
constexpr std::uint64_t kSpeedWindowMs = 3000;

int Thousandths(std::uint64_t done, std::uint64_t whole) {
  if (whole == 0) return 0;
  if (done >= whole) return 1000;
  return static_cast<int>(done * 1000 / whole);
}

void SetText(HWND dialog, int id, const std::wstring& text) {
  HWND control = ::GetDlgItem(dialog, id);
  // Only a change is drawn again: no flicker ten times a second.
  wchar_t shown[256] = {};
  ::GetWindowTextW(control, shown, 256);
  if (text != shown) ::SetWindowTextW(control, text.c_str());
}

// Over the main window, where the user is looking, and whole on that window's monitor.
void CenterOverOwner(HWND window) {
  HWND owner = ::GetWindow(window, GW_OWNER);
  RECT own{}, rect{};
  if (!owner || !::GetWindowRect(owner, &own) || !::GetWindowRect(window, &rect)) return;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!::GetMonitorInfoW(::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& area = monitor.rcWork;
  const LONG width = rect.right - rect.left, height = rect.bottom - rect.top;
  LONG x = own.left + (own.right - own.left - width) / 2;
  LONG y = own.top + (own.bottom - own.top - height) / 2;
  x = std::max(area.left, std::min(x, area.right - width));
  y = std::max(area.top, std::min(y, area.bottom - height));
  ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

std::wstring FormatBytes(std::uint64_t bytes) {
  static const wchar_t* const kUnits[] = {L"KB", L"MB", L"GB", L"TB"};
  if (bytes < 1024) return std::to_wstring(bytes) + L" B";
  double value = static_cast<double>(bytes) / 1024;
  int unit = 0;
  while (value >= 1024 && unit < 3) {
    value /= 1024;
    ++unit;
  }
  wchar_t text[32];
  std::swprintf(text, 32, L"%.1f %ls", value, kUnits[unit]);
  return text;
}

std::wstring FormatDuration(std::uint64_t seconds) {
  wchar_t text[32];
  if (seconds >= 3600)
    std::swprintf(text, 32, L"%llu:%02u:%02u", static_cast<unsigned long long>(seconds / 3600),
                  static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
  else
    std::swprintf(text, 32, L"%u:%02u", static_cast<unsigned>(seconds / 60), static_cast<unsigned>(seconds % 60));
  return text;
}

CProgressDlg::CProgressDlg(qz::CancelToken& cancel) : CDialog(IDD_PROGRESS), m_cancel(cancel) {}

CProgressDlg::~CProgressDlg() {
  if (m_hWnd) DestroyWithoutHiding(m_hWnd);
}

void CProgressDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_PROGRESS_BAR, m_progress);
  DDX_Control(dx, IDC_PROGRESS_TOTAL, m_total);
}

void CProgressDlg::OnOK() {}

void CProgressDlg::OnCancel() {
  m_cancel.Request();
  ::EnableWindow(GetDlgItem(IDCANCEL), FALSE);
}

void SharedProgressSink::Begin(std::uint64_t range) {
  m_steps = 0;
  m_range = range;
}

void SharedProgressSink::Advance(std::uint64_t steps) { m_steps.fetch_add(steps, std::memory_order_relaxed); }

void SharedProgressSink::Reset() {
  m_range = 0;
  m_steps = 0;
  m_keyStep = false;
}

std::uint64_t SharedProgressSink::BytesDone(std::uint64_t size) const {
  // The engine counts 1000-byte blocks, and only for files large enough to show them.
  if (m_range.load() == 0) return 0;
  return std::min(size, m_steps.load(std::memory_order_relaxed) * qz::kProgressBlockBytes);
}

OperationProgress::OperationProgress(qz::CancelToken& cancel) : m_cancel(cancel) {}

void OperationProgress::Start() {
  if (m_started == 0) m_started = GetTickCount64();
}

OperationProgress::~OperationProgress() { Close(); }

void OperationProgress::BeginBatch(const std::vector<std::uint64_t>& sizes) {
  m_batch = true;
  m_searching = false;
  // Summed once: a file's start costs the same in a batch of any size.
  m_before.assign(1, 0);
  for (const std::uint64_t size : sizes) m_before.push_back(m_before.back() + size);
  m_totalBytes = m_before.back();
}

void OperationProgress::BeginFile(const std::string& path, std::uint64_t size, int index) {
  m_sink.Reset();
  m_path = path;
  m_fileSize = size;
  m_index = index;
  m_finishedBytes = m_before.empty() ? 0 : m_before[std::min<std::size_t>(index, m_before.size() - 1)];
  m_lastUpdate = 0;
}

HWND OperationProgress::Window() const { return m_pDialog ? m_pDialog->m_hWnd : nullptr; }

bool OperationProgress::Tick() {
  const std::uint64_t now = GetTickCount64();
  // Made, shown and painted on separate turns of the loop: none of these keeps the
  // window's thread from its messages for long.
  if (!m_pDialog) {
    if (m_started == 0 || m_failed || now - m_started < kShowAfterMs) return false;
    Create();
    return false;
  }
  if (!IsWindowVisible(m_pDialog->m_hWnd)) {
    Show();
    return true;
  }
  if (now - m_lastUpdate >= kUpdateEveryMs) {
    m_lastUpdate = now;
    Update();
  }
  return true;
}

void OperationProgress::Create() {
  SentMessagesAnswered answered;
  auto dialog = std::make_unique<CProgressDlg>(m_cancel);
  if (!dialog->Create(IDD_PROGRESS)) {
    m_failed = true;  // not tried again for this operation
    return;
  }
  m_pDialog = std::move(dialog);
  HWND window = m_pDialog->m_hWnd;
  CenterOverOwner(window);
  m_pDialog->m_progress.SetRange32(0, 1000);
  m_pDialog->m_total.SetRange32(0, 1000);
  for (int id : {IDC_PROGRESS_BATCH, IDC_PROGRESS_TOTAL})
    ::ShowWindow(::GetDlgItem(window, id), m_batch ? SW_SHOWNA : SW_HIDE);
  Update();
}

void OperationProgress::Show() {
  SentMessagesAnswered answered;
  HWND window = m_pDialog->m_hWnd;
  ::ShowWindow(window, SW_SHOWNORMAL);
  // The main window takes no input: Esc and the keys go to the Cancel button here.
  ::SetActiveWindow(window);
  ::SetFocus(::GetDlgItem(window, IDCANCEL));
}

void OperationProgress::Update() {
  HWND window = Window();
  if (!window) return;
  if (m_searching) {
    ShowSearch(window);
    return;
  }
  const std::uint64_t now = GetTickCount64();
  const std::uint64_t fileDone = m_sink.BytesDone(m_fileSize);
  const std::uint64_t whole = m_batch ? m_totalBytes : m_fileSize;
  const std::uint64_t done = std::min(whole, (m_batch ? m_finishedBytes : 0) + fileDone);

  std::string dir, name;
  qz::SplitPath(m_path, &dir, &name);
  SetText(window, IDC_PROGRESS_NAME, Utf8ToWide(name));
  const int fileShare = Thousandths(fileDone, m_fileSize);
  m_pDialog->m_progress.SetPos(fileShare);
  // A strong file's key takes a second or more before its bytes count.
  const bool keyStep = m_sink.InKeyStep();
  SetText(window, IDC_PROGRESS_TEXT,
          keyStep ? Utf8ToWide("正在生成密钥…")
                  : std::to_wstring(fileShare / 10) + L"%\u3000" + FormatBytes(fileDone) + L" / " +
                        FormatBytes(m_fileSize));

  // The speed counts from the key's end.
  if (keyStep) m_samples.clear();
  m_samples.push_back({now, done});
  while (m_samples.size() > 2 && now - m_samples.front().tick > kSpeedWindowMs) m_samples.pop_front();
  std::wstring rate = L"—", left = L"—";
  const Sample& first = m_samples.front();
  if (now - first.tick >= 500 && done > first.bytes) {
    const double perSecond = static_cast<double>(done - first.bytes) * 1000 / static_cast<double>(now - first.tick);
    rate = FormatBytes(static_cast<std::uint64_t>(perSecond)) + L"/秒";
    left = FormatDuration(static_cast<std::uint64_t>(static_cast<double>(whole - done) / perSecond + 0.999));
  }
  if (m_cancel.Requested() && !m_cancelShown) {
    m_cancelShown = true;
    ::EnableWindow(::GetDlgItem(window, IDCANCEL), FALSE);
  }
  SetText(window, IDC_PROGRESS_SPEED,
          m_cancelShown ? Utf8ToWide("正在取消……")
          : keyStep     ? std::wstring()
                        : Utf8ToWide("速度 ") + rate + Utf8ToWide("，剩余时间 ") + left);

  if (m_batch) {
    const int wholeShare =
        m_totalBytes > 0 ? Thousandths(done, m_totalBytes)
                         : Thousandths(static_cast<std::uint64_t>(m_index) * 1000 + fileShare,
                                       static_cast<std::uint64_t>(m_before.size() - 1) * 1000);
    m_pDialog->m_total.SetPos(wholeShare);
    std::wstring position = FillTemplate<wchar_t>(Utf8ToWide("第 %d 个，共 %d 个"), L"%d", std::to_wstring(m_index + 1));
    position = FillTemplate<wchar_t>(position, L"%d", std::to_wstring(m_before.size() - 1));
    SetText(window, IDC_PROGRESS_BATCH,
            position + L"\u3000" + std::to_wstring(wholeShare / 10) + L"%\u3000" + FormatBytes(done) + L" / " +
                FormatBytes(m_totalBytes));
  }
}

void OperationProgress::ShowSearch(HWND window) {
  SetText(window, IDC_PROGRESS_NAME,
          FillTemplate<wchar_t>(Utf8ToWide("正在查找文件……已找到 %d 个"), L"%d", std::to_wstring(m_found.load())));
  if (m_cancel.Requested() && !m_cancelShown) {
    m_cancelShown = true;
    ::EnableWindow(::GetDlgItem(window, IDCANCEL), FALSE);
  }
  SetText(window, IDC_PROGRESS_SPEED, m_cancelShown ? Utf8ToWide("正在取消……") : std::wstring());
}

void OperationProgress::Close() { m_pDialog.reset(); }
