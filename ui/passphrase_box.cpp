#include "passphrase_box.h"

#include "clipboard_secret.h"
#include "resource.h"
#include "secure_wipe.h"

BEGIN_MESSAGE_MAP(CPassphraseBox, CDialog)
  ON_BN_CLICKED(IDC_COPY, &CPassphraseBox::OnCopy)
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CPassphraseBox::CPassphraseBox(const std::wstring& passphrase) : CDialog(IDD_PASSPHRASE), m_strPassphrase(passphrase) {}

CPassphraseBox::~CPassphraseBox() {
  qz::WipeTextOnExit<std::wstring> wipe(m_strPassphrase);
}

void CPassphraseBox::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_PASSPHRASE, m_editPassphrase);
  DDX_Control(dx, IDC_COPY, m_btnCopy);
}

BOOL CPassphraseBox::OnInitDialog() {
  CDialog::OnInitDialog();
  m_editPassphrase.SetWindowText(m_strPassphrase);
  // Selected, so that Ctrl+C copies it as well.
  SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_editPassphrase.m_hWnd), TRUE);
  return FALSE;
}

void CPassphraseBox::OnCopy() {
  // The clearing outlives this box: the window at the root of its owners keeps it.
  if (CopySecretToClipboard(GetAncestor(m_hWnd, GA_ROOTOWNER), m_strPassphrase))
    m_btnCopy.SetWindowTextUtf8("已复制");
}

void CPassphraseBox::OnDestroy() {
  // The field's text is overwritten before the window's memory goes back to the system.
  m_editPassphrase.SetWindowText(std::wstring(m_strPassphrase.size(), L' '));
}
