// The password prompts: twice before an encryption, once before a decryption. An empty
// entry gives the built-in default password.
#pragma once

#include <string>

#include "controls.h"
#include "dialog.h"

class CEncryptPasswordDlg : public CDialog {
 public:
  CEncryptPasswordDlg();
  ~CEncryptPasswordDlg() override;

  std::string m_strPassword;  // ANSI bytes, after a run that returned IDOK
  CEdit m_editRetype;
  CEdit m_editPassword;

 protected:
  DECLARE_MESSAGE_MAP()
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  void StartOver();
};

class CDecryptPasswordDlg : public CDialog {
 public:
  CDecryptPasswordDlg();
  ~CDecryptPasswordDlg() override;

  std::string m_strPassword;
  CEdit m_editPassword;

 protected:
  DECLARE_MESSAGE_MAP()
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
};
