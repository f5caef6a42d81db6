// The window's answers to an operation, with the password given before, so that what a
// bench times asks for none.
#pragma once

#include <string>
#include <utility>

#include "file_browser_dlg.h"
#include "file_prompts.h"

class BenchPrompts : public CFilePrompts {
 public:
  BenchPrompts(CFileBrowserDlg& window, qzops::Passwords password)
      : CFilePrompts([&window] { window.RefreshListing(); },
                     [&window](const std::string& path) { return window.ProbeFileSize(path.c_str()); },
                     m_noSettings),
        m_password(std::move(password)) {}
  bool AskEncryptionPassword(qzops::Passwords* out) override {
    out->qz = qz::Secret(m_password.qz.data(), m_password.qz.size());
    out->strong = qz::Secret(m_password.strong.data(), m_password.strong.size());
    out->strongFiles = m_password.strongFiles;
    return true;
  }

 private:
  SettingsFile m_noSettings{L""};  // the password is given: no dialog asks, nothing is kept
  qzops::Passwords m_password;
};
