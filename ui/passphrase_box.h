// Shows a generated passphrase once, for the user to note or copy: a read-only field
// that can be selected, and a button that copies it to the clipboard for a minute.
#pragma once

#include "controls.h"
#include "crypto/secret.h"
#include "dialog.h"

class CPassphraseBox : public CDialog {
 public:
  // The passphrase in UTF-16 (wchars()).
  explicit CPassphraseBox(qz::Secret passphrase);

  CEdit m_editPassphrase;
  CButton m_btnCopy;

 protected:
  DECLARE_MESSAGE_MAP()
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void OnCopy();
  void OnDestroy();

 private:
  qz::Secret m_passphrase;
};
