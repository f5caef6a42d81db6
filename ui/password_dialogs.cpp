#include "password_dialogs.h"

#include "default_password.h"
#include "qz_format.h"
#include "message_box.h"
#include "operation_messages.h"
#include "password_field.h"
#include "resource.h"
#include "secure_wipe.h"

BEGIN_MESSAGE_MAP(CEncryptPasswordDlg, CDialog)
  ON_BN_CLICKED(IDC_STRONG, &CEncryptPasswordDlg::OnStrongClicked)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CDecryptPasswordDlg, CDialog)
END_MESSAGE_MAP()

bool CEncryptPasswordDlg::s_bStrongChosen = false;

CEncryptPasswordDlg::CEncryptPasswordDlg() : CDialog(IDD_ENCRYPT_PASSWORD) {}
CEncryptPasswordDlg::~CEncryptPasswordDlg() {
  qz::SecureWipe(&m_strPassword);
  qz::SecureWipe(&m_strStrongPassword);
}

void CEncryptPasswordDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_RETYPE, m_editRetype);
  DDX_Control(dx, IDC_PASSWORD, m_editPassword);
  DDX_Control(dx, IDC_STRONG, m_btnStrong);
}

BOOL CEncryptPasswordDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  LimitPasswordField(m_editPassword);
  LimitPasswordField(m_editRetype);
  m_btnStrong.SendMessage(BM_SETCHECK, s_bStrongChosen ? BST_CHECKED : BST_UNCHECKED);
  return FocusPasswordField(*this, m_editPassword);
}

void CEncryptPasswordDlg::OnStrongClicked() {
  s_bStrongChosen = m_btnStrong.SendMessage(BM_GETCHECK) == BST_CHECKED;
}

void CEncryptPasswordDlg::StartOver() {
  m_editPassword.SetWindowText(std::wstring());
  m_editRetype.SetWindowText(std::wstring());
  qz::SecureWipe(&m_strPassword);
  qz::SecureWipe(&m_strStrongPassword);
  FocusPasswordField(*this, m_editPassword);
}

void CEncryptPasswordDlg::OnOK() {
  m_bStrong = m_btnStrong.SendMessage(BM_GETCHECK) == BST_CHECKED;
  std::string* password = m_bStrong ? &m_strStrongPassword : &m_strPassword;
  const PasswordForm form = m_bStrong ? PasswordForm::kUtf8 : PasswordForm::kCodePage936;
  std::string retype;
  qz::WipeTextOnExit<std::string> wipeRetype(retype);
  PasswordFieldStatus status = ReadPasswordField(m_editPassword, form, password);
  if (status == PasswordFieldStatus::kOk) status = ReadPasswordField(m_editRetype, form, &retype);
  if (status != PasswordFieldStatus::kOk) {
    ReportPasswordField(status);
    StartOver();
    return;
  }
  if (password->empty() && retype.empty()) {
    if (m_bStrong) {
      // The engine would refuse it too: a strong file has no default password.
      AfxMessageBox(EncryptFailureText(qz::EncryptStep::kEmptyPassword), MB_OK);
      StartOver();
      return;
    }
    *password = qz::kDefaultPassword;
    retype = qz::kDefaultPassword;
  }
  if (*password != retype) {
    AfxMessageBox("两次密码不一致,请重新输入!", MB_OK);
    StartOver();
    return;
  }
  CDialog::OnOK();
}

CDecryptPasswordDlg::CDecryptPasswordDlg(PasswordUse use) : CDialog(IDD_DECRYPT_PASSWORD), m_use(use) {}
CDecryptPasswordDlg::~CDecryptPasswordDlg() {
  qz::SecureWipe(&m_strPassword);
  qz::SecureWipe(&m_strStrongPassword);
}

void CDecryptPasswordDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_PASSWORD, m_editPassword);
}

BOOL CDecryptPasswordDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  LimitPasswordField(m_editPassword);
  return FocusPasswordField(*this, m_editPassword);
}

void CDecryptPasswordDlg::StartOver() {
  m_editPassword.SetWindowText(std::wstring());
  qz::SecureWipe(&m_strPassword);
  qz::SecureWipe(&m_strStrongPassword);
  FocusPasswordField(*this, m_editPassword);
}

void CDecryptPasswordDlg::OnOK() {
  const bool qzFiles = m_use != PasswordUse::kStrongFiles;
  const bool strongFiles = m_use != PasswordUse::kQzFiles;
  PasswordFieldStatus status = PasswordFieldStatus::kOk;
  if (qzFiles) status = ReadPasswordField(m_editPassword, PasswordForm::kCodePage936, &m_strPassword);
  if (strongFiles && status == PasswordFieldStatus::kOk)
    status = ReadPasswordField(m_editPassword, PasswordForm::kUtf8, &m_strStrongPassword);
  if (status != PasswordFieldStatus::kOk) {
    ReportPasswordField(status);
    StartOver();
    return;
  }
  if (m_editPassword.SendMessage(WM_GETTEXTLENGTH) == 0) {
    // The default opens ".qz" files only; where every file is strong, nothing would.
    if (m_use == PasswordUse::kStrongFiles || m_use == PasswordUse::kUpgrade) {
      AfxMessageBox(DecryptFailureText(qz::DecryptStep::kEmptyPassword), MB_OK);
      StartOver();
      return;
    }
    m_strPassword = qz::kDefaultPassword;
  }
  CDialog::OnOK();
}
