#include "about_dlg.h"

#include "app.h"
#include "dpi.h"
#include "product_address.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg(CWnd* parent) : CDialog(IDD_ABOUTBOX, parent) {}

CAboutDlg::~CAboutDlg() {
  if (m_hScaledBanner) DeleteObject(m_hScaledBanner);
}

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
  ScaleBanner();
  return TRUE;
}

void CAboutDlg::ScaleBanner() {
  const int dpi = DpiOfWindow(m_hWnd);
  if (dpi == kDefaultDpi) return;
  for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if ((::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP) continue;
    // The picture control takes its bitmap's size: the bitmap is drawn for 96 dpi.
    BITMAP original = {};
    HBITMAP shown = reinterpret_cast<HBITMAP>(::SendMessageW(child, STM_GETIMAGE, IMAGE_BITMAP, 0));
    if (!shown || !::GetObjectW(shown, sizeof(original), &original)) return;
    m_hScaledBanner = static_cast<HBITMAP>(
        ::LoadImageW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDB_BANNER), IMAGE_BITMAP,
                     ScaleToDpi(original.bmWidth, dpi), ScaleToDpi(original.bmHeight, dpi), 0));
    if (!m_hScaledBanner) return;
    m_hBannerControl = child;
    m_hTemplateBanner = reinterpret_cast<HBITMAP>(
        ::SendMessageW(child, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_hScaledBanner)));
    return;
  }
}

void CAboutDlg::OnDestroy() {
  // The control gets back the bitmap it made, so that it frees its own and not ours.
  if (m_hBannerControl && ::IsWindow(m_hBannerControl))
    ::SendMessageW(m_hBannerControl, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_hTemplateBanner));
  m_hBannerControl = nullptr;
}
