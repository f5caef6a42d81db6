#include "password_dialogs.h"

#include "file_cipher.h"
#include "message_box.h"
#include "password_field.h"
#include "resource.h"
#include "secure_wipe.h"

BEGIN_MESSAGE_MAP(CEncryptPasswordDlg, CDialog)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CDecryptPasswordDlg, CDialog)
END_MESSAGE_MAP()

CEncryptPasswordDlg::CEncryptPasswordDlg() : CDialog(IDD_ENCRYPT_PASSWORD) {}
CEncryptPasswordDlg::~CEncryptPasswordDlg() { qz::SecureWipe(&m_strPassword); }

void CEncryptPasswordDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_RETYPE, m_editRetype);
  DDX_Control(dx, IDC_PASSWORD, m_editPassword);
}

BOOL CEncryptPasswordDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  LimitPasswordField(m_editPassword);
  LimitPasswordField(m_editRetype);
  return FocusPasswordField(*this, m_editPassword);
}

void CEncryptPasswordDlg::StartOver() {
  m_editPassword.SetWindowText(std::wstring());
  m_editRetype.SetWindowText(std::wstring());
  qz::SecureWipe(&m_strPassword);
  FocusPasswordField(*this, m_editPassword);
}

void CEncryptPasswordDlg::OnOK() {
  std::string retype;
  qz::WipeTextOnExit<std::string> wipeRetype(retype);
  PasswordFieldStatus status = ReadPasswordField(m_editPassword, &m_strPassword);
  if (status == PasswordFieldStatus::kOk) status = ReadPasswordField(m_editRetype, &retype);
  if (status != PasswordFieldStatus::kOk) {
    ReportPasswordField(status);
    StartOver();
    return;
  }
  if (m_strPassword.empty() && retype.empty()) {
    m_strPassword = qz::kDefaultPassword;
    retype = qz::kDefaultPassword;
  }
  if (m_strPassword != retype) {
    AfxMessageBox("两次密码不一致,请重新输入!", MB_OK);
    StartOver();
    return;
  }
  CDialog::OnOK();
}

CDecryptPasswordDlg::CDecryptPasswordDlg() : CDialog(IDD_DECRYPT_PASSWORD) {}
CDecryptPasswordDlg::~CDecryptPasswordDlg() { qz::SecureWipe(&m_strPassword); }

void CDecryptPasswordDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_PASSWORD, m_editPassword);
}

BOOL CDecryptPasswordDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  LimitPasswordField(m_editPassword);
  return FocusPasswordField(*this, m_editPassword);
}

void CDecryptPasswordDlg::OnOK() {
  PasswordFieldStatus status = ReadPasswordField(m_editPassword, &m_strPassword);
  if (status != PasswordFieldStatus::kOk) {
    ReportPasswordField(status);
    m_editPassword.SetWindowText(std::wstring());
    FocusPasswordField(*this, m_editPassword);
    return;
  }
  if (m_strPassword.empty()) m_strPassword = qz::kDefaultPassword;
  CDialog::OnOK();
}
