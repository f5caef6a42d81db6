// The password prompts: twice before an encryption, once before a decryption or an
// upgrade. A ".qz" password is code page 936 bytes and an empty entry gives the built-in
// default; a strong (".age") password is UTF-8 and has no default.
#pragma once

#include "controls.h"
#include "crypto/secret.h"
#include "dialog.h"
#include "front_end.h"

class SettingsFile;

// A folder command's "包括子文件夹" box, in both prompts: shown when offered, opening as the
// settings keep it and kept there at each change; otherwise hidden with its row.
class CWholeTreeBox {
 public:
  explicit CWholeTreeBox(SettingsFile* offeredWith) : m_pSettings(offeredWith) {}
  void SetUp(CDialog& dialog);
  void Clicked();
  bool Checked() const { return m_box.SendMessage(BM_GETCHECK) == BST_CHECKED; }
  CButton m_box;

 private:
  SettingsFile* m_pSettings;
};

class CEncryptPasswordDlg : public CDialog {
 public:
  // The check box opens as the settings keep it, and each change of it is kept there;
  // offerWholeTree shows a folder command's box too.
  explicit CEncryptPasswordDlg(SettingsFile& settings, bool offerWholeTree = false);

  // After a run that returned IDOK: m_bStrong tells whether a strong file was chosen;
  // then m_strongPassword holds the password (UTF-8), otherwise m_password (code page
  // 936). The other stays empty.
  BOOL m_bStrong = FALSE;
  BOOL m_bWholeTree = FALSE;
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
  void OnWholeTreeClicked() { m_wholeTree.Clicked(); }
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
  CWholeTreeBox m_wholeTree{nullptr};
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
  // With treeSettings, the folder command's box shows, kept there.
  explicit CDecryptPasswordDlg(PasswordUse use = PasswordUse::kQzFiles, SettingsFile* treeSettings = nullptr);

  // After a run that returned IDOK, each form the use needs (the other stays empty).
  BOOL m_bWholeTree = FALSE;
  qz::Secret m_password;        // code page 936
  qz::Secret m_strongPassword;  // UTF-8
  CEdit m_editPassword;

 protected:
  DECLARE_MESSAGE_MAP()
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnDestroy();
  void OnWholeTreeClicked() { m_wholeTree.Clicked(); }

 private:
  void StartOver();

  PasswordUse m_use;
  CWholeTreeBox m_wholeTree;
};
