// The window's answers to an operation, with the password given before, so that what a
// bench times asks for none.
#pragma once

#include <string>
#include <string_view>

#include "file_browser_dlg.h"
#include "window_front_end.h"

class BenchPrompts : public WindowFrontEnd {
 public:
  // The password of ".qz" files, or of strong files.
  BenchPrompts(CFileBrowserDlg& window, std::string_view password, bool strongFiles)
      : WindowFrontEnd(window.m_hWnd, [&window] { window.RefreshListing(); },
                     [&window](const std::string& path, qz::CancelToken& cancel) {
                       return window.ProbeFileSize(path.c_str(), cancel);
                     },
                     m_noSettings),
        m_password(password.data(), password.size()),
        m_strongFiles(strongFiles) {}
  bool AskEncryptionPassword(qzops::Passwords* out) override {
    // A copy each time: the session wipes the one it is given.
    (m_strongFiles ? out->strong : out->qz) = qz::Secret(m_password.data(), m_password.size());
    out->strongFiles = m_strongFiles;
    return true;
  }

 private:
  SettingsFile m_noSettings{L""};  // the password is given: no dialog asks, nothing is kept
  qz::Secret m_password;
  bool m_strongFiles;
};
