// The About dialog: banner, usage notes, disclaimer and the link to the vendor's site.
#pragma once

#include "dialog.h"
#include "hyperlink.h"

class CAboutDlg : public CDialog {
 public:
  explicit CAboutDlg(CWnd* parent = nullptr);
  ~CAboutDlg() override;

  CHyperLink m_link;

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
};
