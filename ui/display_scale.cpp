// The main window at its monitor's dpi: the list's and the drive selector's icons at the
// size that dpi asks for, and a new layout when the window moves to a monitor of
// another dpi.
#include <windows.h>

#include <shellapi.h>

#include "app.h"
#include "dpi.h"
#include "file_browser_dlg.h"
#include "resource.h"

namespace {

// IID_IImageList: the system's image lists are asked for by interface, whose pointer is
// the list's handle.
const GUID kImageListInterface = {0x46eb5926, 0x582e, 0x4017, {0x9f, 0xdf, 0xe8, 0x99, 0x8d, 0xaa, 0x09, 0x50}};

// The smallest system image list whose images are at least size pixels: they are scaled
// down, never up.
HIMAGELIST SystemIconsOfAtLeast(int size) {
  HIMAGELIST best = nullptr;
  int bestSize = 0;
  for (int kind : {SHIL_SMALL, SHIL_LARGE, SHIL_EXTRALARGE, SHIL_JUMBO}) {
    void* list = nullptr;
    if (FAILED(SHGetImageList(kind, kImageListInterface, &list)) || !list) continue;
    int cx = 0, cy = 0;
    ImageList_GetIconSize(static_cast<HIMAGELIST>(list), &cx, &cy);
    const bool fits = cx >= size, bestFits = bestSize >= size;
    if (!best || (fits && (!bestFits || cx < bestSize)) || (!fits && !bestFits && cx > bestSize)) {
      best = static_cast<HIMAGELIST>(list);
      bestSize = cx;
    }
  }
  return best;
}

}  // namespace

void CFileBrowserDlg::FitIconsToDpi() {
  const int size = SystemMetricForDpi(SM_CXSMICON, DpiOfWindow(m_hWnd));
  SHFILEINFOW info = {};
  HIMAGELIST system = reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(
      L"C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON));
  int cx = 0, cy = 0;
  if (system) ImageList_GetIconSize(system, &cx, &cy);
  // The system's list is made for the system's dpi; a monitor of another dpi gets a list
  // of its own, filled as the listing asks for icons.
  HIMAGELIST scaled = nullptr;
  if (system && cx != size) scaled = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 16, 16);
  if (!scaled && !m_hScaledIcons) return;
  HIMAGELIST old = m_hScaledIcons;
  m_hScaledIcons = scaled;
  m_scaledIconOf.clear();
  HIMAGELIST shown = scaled ? scaled : system;
  m_lvFiles.SetImageList(shown, LVSIL_SMALL);
  m_cbDrive.SetImageList(shown);
  for (int item = 0; item < m_cbDrive.GetCount(); ++item) {
    const char* root = reinterpret_cast<const char*>(m_cbDrive.GetItemData(item));
    if (!root || reinterpret_cast<DWORD_PTR>(root) == static_cast<DWORD_PTR>(CB_ERR)) continue;
    COMBOBOXEXITEMW drive = {};
    drive.mask = CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    drive.iItem = item;
    drive.iImage = drive.iSelectedImage = ListIcon(GetShellIconIndex(root, TRUE));
    m_cbDrive.SendMessage(CBEM_SETITEMW, 0, reinterpret_cast<LPARAM>(&drive));
  }
  // The controls share the lists (LVS_SHAREIMAGELISTS): ours goes once they have another.
  if (old) ImageList_Destroy(old);
}

int CFileBrowserDlg::ListIcon(int systemIndex) {
  if (!m_hScaledIcons || systemIndex < 0) return systemIndex;
  auto known = m_scaledIconOf.find(systemIndex);
  if (known != m_scaledIconOf.end()) return known->second;
  int size = 0, cy = 0;
  ImageList_GetIconSize(m_hScaledIcons, &size, &cy);
  HICON icon = nullptr;
  if (systemIndex == m_nEncryptedIcon) {
    // Drawn for this size among the icon's own images.
    icon = static_cast<HICON>(LoadImageW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDI_ENCRYPTED_FILE),
                                         IMAGE_ICON, size, size, 0));
  } else if (HIMAGELIST source = SystemIconsOfAtLeast(size)) {
    icon = ImageList_GetIcon(source, systemIndex, ILD_NORMAL);
  }
  const int index = icon ? ImageList_ReplaceIcon(m_hScaledIcons, -1, icon) : -1;
  if (icon) DestroyIcon(icon);
  m_scaledIconOf.emplace(systemIndex, index);
  return index;
}

LRESULT CFileBrowserDlg::OnDpiChanged(WPARAM, LPARAM lParam) {
  // Where the system suggests, so that the window stays under the pointer that moved it.
  if (const auto* suggested = reinterpret_cast<const RECT*>(lParam))
    ::SetWindowPos(m_hWnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  FitIconsToDpi();
  FreeWindowIcons();
  SetWindowIcons();
  FitDropDownHeight(m_cbFileType, m_cbFileType.GetCount());
  FitDropDownHeight(m_cbDrive, m_cbDrive.GetCount());
  RefreshKeepingSelection();
  return 0;
}

void CFileBrowserDlg::FreeScaledIcons() {
  if (!m_hScaledIcons) return;
  if (m_lvFiles.m_hWnd) m_lvFiles.SetImageList(nullptr, LVSIL_SMALL);
  if (m_cbDrive.m_hWnd) m_cbDrive.SetImageList(nullptr);
  ImageList_Destroy(m_hScaledIcons);
  m_hScaledIcons = nullptr;
  m_scaledIconOf.clear();
}
