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
  void OnDestroy();

  DECLARE_MESSAGE_MAP()

 private:
  // The banner drawn at the dialog's dpi, and the one it replaced; null at 96 dpi.
  void ScaleBanner();
  HWND m_hBannerControl = nullptr;
  HBITMAP m_hScaledBanner = nullptr;
  HBITMAP m_hTemplateBanner = nullptr;
};
