#include "progress_dlg.h"

#include <climits>

#include "resource.h"

CProgressDlg::CProgressDlg() : CDialog(IDD_PROGRESS) {}

CProgressDlg::~CProgressDlg() { DestroyWindow(); }

void CProgressDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_PROGRESS_BAR, m_progress);
}

void CProgressDlg::OnOK() {
  UpdateData(TRUE);
  ShowWindow(SW_HIDE);
}

void CProgressDlg::OnCancel() { ShowWindow(SW_HIDE); }

ProgressWindowSink::~ProgressWindowSink() { End(); }

void ProgressWindowSink::Begin(std::uint64_t range) {
  End();
  m_pDialog = new CProgressDlg();
  if (!m_pDialog->Create(IDD_PROGRESS)) {
    delete m_pDialog;
    m_pDialog = nullptr;
    return;
  }
  m_nRange = range;
  m_nDone = 0;
  m_nShown = -1;
  // The bar counts in thousandths, so that files of any size fit its 32-bit range.
  m_pDialog->m_progress.SetRange32(0, 1000);
  m_pDialog->m_progress.SetPos(0);
  UpdateWindow(m_pDialog->m_hWnd);
}

void ProgressWindowSink::Advance(std::uint64_t steps) {
  if (!m_pDialog || m_nRange == 0) return;
  m_nDone += steps;
  int position = static_cast<int>(m_nDone >= m_nRange ? 1000 : m_nDone * 1000 / m_nRange);
  if (position == m_nShown) return;
  m_nShown = position;
  m_pDialog->m_progress.SetPos(position);
  // No message loop runs during an operation: paint the bar now.
  UpdateWindow(m_pDialog->m_progress.m_hWnd);
}

void ProgressWindowSink::End() {
  if (!m_pDialog) return;
  m_pDialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  delete m_pDialog;
  m_pDialog = nullptr;
}
