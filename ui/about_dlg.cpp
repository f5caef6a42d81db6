#include "about_dlg.h"

#include "product_address.h"
#include "resource.h"

CAboutDlg::CAboutDlg(CWnd* parent) : CDialog(IDD_ABOUTBOX, parent) {}

CAboutDlg::~CAboutDlg() = default;

void CAboutDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_VENDOR_LINK, m_link);
}

BOOL CAboutDlg::OnInitDialog() {
  // The address shown follows the host this program was built for, like the URL; the
  // link takes it as its URL while it is bound.
  if (!m_link.m_hWnd) SetDlgItemTextA(m_hWnd, IDC_VENDOR_LINK, VendorSiteAddress());
  CDialog::OnInitDialog();
  m_link.SetLinkUrl(VendorSiteUrl());
  return TRUE;
}
