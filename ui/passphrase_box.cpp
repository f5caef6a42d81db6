#include "passphrase_box.h"

#include <utility>

#include "clipboard_secret.h"
#include "password_field.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CPassphraseBox, CDialog)
  ON_BN_CLICKED(IDC_COPY, &CPassphraseBox::OnCopy)
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CPassphraseBox::CPassphraseBox(qz::Secret passphrase)
    : CDialog(IDD_PASSPHRASE), m_passphrase(std::move(passphrase)) {}

void CPassphraseBox::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_PASSPHRASE, m_editPassphrase);
  DDX_Control(dx, IDC_COPY, m_btnCopy);
}

BOOL CPassphraseBox::OnInitDialog() {
  CDialog::OnInitDialog();
  ::SetWindowTextW(m_editPassphrase.m_hWnd, m_passphrase.wchars());
  // Selected, so that Ctrl+C copies it as well.
  SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_editPassphrase.m_hWnd), TRUE);
  return FALSE;
}

void CPassphraseBox::OnCopy() {
  // The clearing outlives this box: the window at the root of its owners keeps it.
  if (CopySecretToClipboard(GetAncestor(m_hWnd, GA_ROOTOWNER), m_passphrase))
    m_btnCopy.SetWindowTextUtf8("已复制");
}

// The field's text is overwritten before the window's memory goes back to the system.
void CPassphraseBox::OnDestroy() { WipePasswordField(m_editPassphrase); }
