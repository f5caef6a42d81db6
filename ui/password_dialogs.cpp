#include "password_dialogs.h"

#include "age/strong_format.h"
#include "message_box.h"
#include "message_template.h"
#include "operation_messages.h"
#include "passphrase_box.h"
#include "password/passphrase.h"
#include "password_field.h"
#include "password_verdict.h"
#include "qz/default_password.h"
#include "qz/qz_format.h"
#include "resource.h"
#include "settings_file.h"
#include "strength_text.h"
#include "text_conversion.h"

namespace {

// The box's row in dialog units, taken off a dialog that does not offer it.
constexpr int kWholeTreeRow = 13;

qzops::PasswordVerdict Judge(const qz::Secret& utf8, bool strong) {
  return qzops::JudgePassword(utf8.view(), strong, qz::kStrongWorkFactor);
}

}  // namespace

void CWholeTreeBox::SetUp(CDialog& dialog) {
  if (m_pSettings) {
    m_box.SendMessage(BM_SETCHECK, m_pSettings->Get().wholeTree ? BST_CHECKED : BST_UNCHECKED);
    return;
  }
  m_box.ShowWindow(SW_HIDE);
  RECT row = {0, 0, 0, kWholeTreeRow};
  ::MapDialogRect(dialog.m_hWnd, &row);
  RECT window;
  dialog.GetWindowRect(&window);
  dialog.SetWindowPos(nullptr, 0, 0, window.right - window.left, window.bottom - window.top - row.bottom,
                      SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWholeTreeBox::Clicked() {
  if (!m_pSettings) return;
  // Kept at once, as the strong box is.
  Settings settings = m_pSettings->Get();
  settings.wholeTree = Checked();
  m_pSettings->Change(settings);
}

BEGIN_MESSAGE_MAP(CEncryptPasswordDlg, CDialog)
  ON_BN_CLICKED(IDC_STRONG, &CEncryptPasswordDlg::OnStrongClicked)
  ON_BN_CLICKED(IDC_WHOLE_TREE, &CEncryptPasswordDlg::OnWholeTreeClicked)
  ON_CONTROL(EN_CHANGE, IDC_PASSWORD, &CEncryptPasswordDlg::OnPasswordChange)
  ON_BN_CLICKED(IDC_GENERATE, &CEncryptPasswordDlg::OnGenerate)
  ON_WM_DESTROY()
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CDecryptPasswordDlg, CDialog)
  ON_BN_CLICKED(IDC_WHOLE_TREE, &CDecryptPasswordDlg::OnWholeTreeClicked)
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CEncryptPasswordDlg::CEncryptPasswordDlg(SettingsFile& settings, bool offerWholeTree)
    : CDialog(IDD_ENCRYPT_PASSWORD), m_pSettings(&settings), m_wholeTree(offerWholeTree ? &settings : nullptr) {}
CEncryptPasswordDlg::CEncryptPasswordDlg(NewStrongPassword)
    : CDialog(IDD_ENCRYPT_PASSWORD), m_bNewStrongPassword(true) {}

void CEncryptPasswordDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_RETYPE, m_editRetype);
  DDX_Control(dx, IDC_PASSWORD, m_editPassword);
  DDX_Control(dx, IDC_STRONG, m_btnStrong);
  DDX_Control(dx, IDC_STRONG_NOTE, m_stStrongNote);
  DDX_Control(dx, IDC_STRENGTH, m_stStrength);
  DDX_Control(dx, IDC_WHOLE_TREE, m_wholeTree.m_box);
}

BOOL CEncryptPasswordDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_bFiller = true;
  LimitPasswordField(m_editPassword);
  LimitPasswordField(m_editRetype);
  m_bFiller = false;
  const bool strong = m_bNewStrongPassword || m_pSettings->Get().strongFiles;
  m_btnStrong.SendMessage(BM_SETCHECK, strong ? BST_CHECKED : BST_UNCHECKED);
  if (m_bNewStrongPassword) m_btnStrong.EnableWindow(FALSE);
  m_wholeTree.SetUp(*this);
  ShowWorth();
  return FocusPasswordField(*this, m_editPassword);
}

bool CEncryptPasswordDlg::StrongChecked() const { return m_btnStrong.SendMessage(BM_GETCHECK) == BST_CHECKED; }

void CEncryptPasswordDlg::OnStrongClicked() {
  if (m_pSettings) {
    // Kept at once, Cancel or not: the box is a choice of its own. A disk that cannot
    // take it only loses it for the next start.
    Settings settings = m_pSettings->Get();
    settings.strongFiles = StrongChecked();
    m_pSettings->Change(settings);
  }
  ShowWorth();
}

void CEncryptPasswordDlg::OnPasswordChange() {
  // A field being filled or overwritten holds filler, or part filler, part password.
  if (!m_bFiller) ShowWorth();
}

void CEncryptPasswordDlg::ShowWorth() {
  const bool strong = StrongChecked();
  m_stStrongNote.SetWindowTextUtf8(m_bNewStrongPassword ? "原密码是公开的内置默认密码，请为 .age 文件设新密码。"
                                   : strong ? "生成 .age 文件：没有密码无法读取，任何改动都会被发现。"
                                            : "生成 .qz 文件：只能防止随意查看，不能真正保密。");
  qz::Secret password;
  if (ReadPasswordField(m_editPassword, PasswordForm::kUtf8, &password) != PasswordFieldStatus::kOk) {
    m_stStrength.SetWindowTextUtf8("");
    return;
  }
  m_stStrength.SetWindowTextUtf8(StrengthLine(Judge(password, strong), strong, password.empty()));
}

void CEncryptPasswordDlg::OnGenerate() {
  qz::Secret passphrase = Utf8ToWideSecret(qz::GeneratePassphrase());
  // Setting a field's text removes the old text as one piece: what was typed goes first.
  WipeFields();
  ::SetWindowTextW(m_editPassword.m_hWnd, passphrase.wchars());
  ::SetWindowTextW(m_editRetype.m_hWnd, passphrase.wchars());
  CPassphraseBox box(std::move(passphrase));
  box.DoModal();
  FocusPasswordField(*this, m_editPassword);
}

void CEncryptPasswordDlg::WipeFields() {
  m_bFiller = true;
  WipePasswordField(m_editPassword);
  WipePasswordField(m_editRetype);
  m_bFiller = false;
}

void CEncryptPasswordDlg::StartOver() {
  WipeFields();
  m_password.Clear();
  m_strongPassword.Clear();
  ShowWorth();
  FocusPasswordField(*this, m_editPassword);
}

// Every way out (OK, Cancel, Esc, the close box, the program's end) destroys the dialog.
void CEncryptPasswordDlg::OnDestroy() { WipeFields(); }

void CEncryptPasswordDlg::OnOK() {
  m_bStrong = StrongChecked();
  m_bWholeTree = m_wholeTree.Checked();
  qz::Secret* password = m_bStrong ? &m_strongPassword : &m_password;
  const PasswordForm form = m_bStrong ? PasswordForm::kUtf8 : PasswordForm::kCodePage936;
  qz::Secret retype;
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
    *password = qz::DefaultPassword();
  } else if (!password->Equals(retype)) {
    AfxMessageBox("两次密码不一致,请重新输入!", MB_OK);
    StartOver();
    return;
  }
  if (m_bStrong) {
    const qzops::PasswordVerdict verdict = Judge(*password, true);
    const std::wstring question = FillTemplate<wchar_t>(Utf8ToWide("此密码容易被猜中（%s）。仍要使用吗？"), L"%s",
                                                        Utf8ToWide(StrengthWords(verdict)));
    if (verdict.Weak() && AfxMessageBox(question, MB_YESNO) == IDNO) {
      // Back to the fields as they were, for another password or a generated one.
      password->Clear();
      FocusPasswordField(*this, m_editPassword);
      return;
    }
  }
  CDialog::OnOK();
}

CDecryptPasswordDlg::CDecryptPasswordDlg(PasswordUse use, SettingsFile* treeSettings)
    : CDialog(IDD_DECRYPT_PASSWORD), m_use(use), m_wholeTree(treeSettings) {}

void CDecryptPasswordDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_PASSWORD, m_editPassword);
  DDX_Control(dx, IDC_WHOLE_TREE, m_wholeTree.m_box);
}

BOOL CDecryptPasswordDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  LimitPasswordField(m_editPassword);
  m_wholeTree.SetUp(*this);
  return FocusPasswordField(*this, m_editPassword);
}

void CDecryptPasswordDlg::StartOver() {
  WipePasswordField(m_editPassword);
  m_password.Clear();
  m_strongPassword.Clear();
  FocusPasswordField(*this, m_editPassword);
}

void CDecryptPasswordDlg::OnDestroy() { WipePasswordField(m_editPassword); }

void CDecryptPasswordDlg::OnOK() {
  m_bWholeTree = m_wholeTree.Checked();
  const bool qzFiles = m_use != PasswordUse::kStrongFiles;
  const bool strongFiles = m_use != PasswordUse::kQzFiles;
  PasswordFieldStatus status = PasswordFieldStatus::kOk;
  if (qzFiles) status = ReadPasswordField(m_editPassword, PasswordForm::kCodePage936, &m_password);
  if (strongFiles && status == PasswordFieldStatus::kOk)
    status = ReadPasswordField(m_editPassword, PasswordForm::kUtf8, &m_strongPassword);
  if (status != PasswordFieldStatus::kOk) {
    ReportPasswordField(status);
    StartOver();
    return;
  }
  if (m_editPassword.SendMessage(WM_GETTEXTLENGTH) == 0) {
    // The default opens ".qz" files only; where every file is strong, nothing would. An
    // upgrade's strong file gets a new password of its own (AskNewStrongPassword).
    if (m_use == PasswordUse::kStrongFiles) {
      AfxMessageBox(DecryptFailureText(qz::DecryptStep::kEmptyPassword), MB_OK);
      StartOver();
      return;
    }
    m_password = qz::DefaultPassword();
  }
  CDialog::OnOK();
}
