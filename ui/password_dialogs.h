// The password prompts: twice before an encryption, once before a decryption or an
// upgrade. A ".qz" password is code page 936 bytes and an empty entry gives the built-in
// default; a strong (".age") password is UTF-8 and has no default.
#pragma once

#include "controls.h"
#include "crypto/secret.h"
#include "dialog.h"
#include "front_end.h"

class SettingsFile;

class CEncryptPasswordDlg : public CDialog {
 public:
  // The check box opens as the settings keep it, and each change of it is kept there.
  explicit CEncryptPasswordDlg(SettingsFile& settings);

  // After a run that returned IDOK: m_bStrong tells whether a strong file was chosen;
  // then m_strongPassword holds the password (UTF-8), otherwise m_password (code page
  // 936). The other stays empty.
  BOOL m_bStrong = FALSE;
  qz::Secret m_password;
  qz::Secret m_strongPassword;
  CEdit m_editRetype;
  CEdit m_editPassword;
  CButton m_btnStrong;
  CStatic m_stStrongNote;  // what the kind of file chosen is worth
  CStatic m_stStrength;    // what the password typed is worth for it

 protected:
  // A strong file's password only, the box checked and fixed: an upgrade's new password.
  struct NewStrongPassword {};
  explicit CEncryptPasswordDlg(NewStrongPassword);

  DECLARE_MESSAGE_MAP()
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnStrongClicked();
  void OnPasswordChange();
  void OnGenerate();
  void OnDestroy();

 private:
  // Overwrites both fields; their changes meanwhile are not judged.
  void WipeFields();
  void StartOver();
  bool StrongChecked() const;
  // The line under the box and the strength line, for the box and the field as they are.
  void ShowWorth();

  SettingsFile* m_pSettings = nullptr;
  bool m_bNewStrongPassword = false;
  bool m_bFiller = false;  // the fields hold the program's filler: nothing to judge
};

// An upgrade's password for its strong files when the ".qz" file had the built-in
// default, which anyone knows.
class CNewStrongPasswordDlg : public CEncryptPasswordDlg {
 public:
  CNewStrongPasswordDlg() : CEncryptPasswordDlg(NewStrongPassword{}) {}
};

// What a decryption password must open, and so the forms the dialog gives and the
// entries it refuses.
using PasswordUse = qzops::PasswordUse;

class CDecryptPasswordDlg : public CDialog {
 public:
  explicit CDecryptPasswordDlg(PasswordUse use = PasswordUse::kQzFiles);

  // After a run that returned IDOK, each form the use needs (the other stays empty).
  qz::Secret m_password;        // code page 936
  qz::Secret m_strongPassword;  // UTF-8
  CEdit m_editPassword;

 protected:
  DECLARE_MESSAGE_MAP()
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnDestroy();

 private:
  void StartOver();

  PasswordUse m_use;
};
