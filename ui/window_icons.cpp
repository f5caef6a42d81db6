#include "window_icons.h"

#include <shellapi.h>

#include "app.h"
#include "dpi.h"
#include "drive_selector.h"
#include "image_list.h"
#include "resource.h"
#include "shell_icon.h"
#include "fs/win_path.h"

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

HICON LoadProgramIcon(int id, int cx, int cy) {
  return static_cast<HICON>(LoadImageW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(id), IMAGE_ICON, cx, cy, 0));
}

}  // namespace

CWindowIcons::~CWindowIcons() {
  FreeWindowIcons(nullptr);
  FreeScaledIcons();
}

void CWindowIcons::Attach(CListCtrl& list, CDriveSelector& drives) {
  m_pList = &list;
  m_pDrives = &drives;
  // The system's lists are shared: wrapped here only, never destroyed.
  SHFILEINFOA info = {};
  CImageList small;
  CImageList large;
  small.Attach(reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(
      "C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON)));
  large.Attach(reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(
      "C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES)));

  // Each list gets the image drawn for its own size.
  auto add = [](CImageList& images) {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images.m_hImageList, &cx, &cy);
    HICON icon = LoadProgramIcon(IDI_ENCRYPTED_FILE, cx, cy);
    int index = images.Add(icon);
    if (icon) DestroyIcon(icon);  // the list keeps a copy
    return index;
  };
  int smallIndex = add(small);
  add(large);
  // The list shows the small list, so the index must be the small list's own, even if
  // the two lists ever differ in length.
  m_nEncryptedIcon = smallIndex >= 0 ? smallIndex : large.GetImageCount() - 1;

  drives.Control().SetImageList(small.m_hImageList);
  list.SetImageList(small.m_hImageList, LVSIL_SMALL);
  list.ModifyStyle(LVS_TYPEMASK | WS_VSCROLL, LVS_SMALLICON);
  small.Detach();
  large.Detach();
}

void CWindowIcons::FitToDpi(HWND window) {
  const int size = SystemMetricForDpi(SM_CXSMICON, DpiOfWindow(window));
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
  m_pList->SetImageList(shown, LVSIL_SMALL);
  m_pDrives->SetImages(shown, [this](const char* root) { return ListIcon(ShellIconIndex(root, true)); });
  // The controls share the lists (LVS_SHAREIMAGELISTS): ours goes once they have another.
  if (old) ImageList_Destroy(old);
}

int CWindowIcons::ListIcon(int systemIndex) {
  if (!m_hScaledIcons || systemIndex < 0) return systemIndex;
  auto known = m_scaledIconOf.find(systemIndex);
  if (known != m_scaledIconOf.end()) return known->second;
  int size = 0, cy = 0;
  ImageList_GetIconSize(m_hScaledIcons, &size, &cy);
  HICON icon = nullptr;
  if (systemIndex == m_nEncryptedIcon) {
    // Drawn for this size among the icon's own images.
    icon = LoadProgramIcon(IDI_ENCRYPTED_FILE, size, size);
  } else if (HIMAGELIST source = SystemIconsOfAtLeast(size)) {
    icon = ImageList_GetIcon(source, systemIndex, ILD_NORMAL);
  }
  const int index = icon ? ImageList_ReplaceIcon(m_hScaledIcons, -1, icon) : -1;
  if (icon) DestroyIcon(icon);
  m_scaledIconOf.emplace(systemIndex, index);
  return index;
}

void CWindowIcons::SetWindowIcons(HWND window) {
  const int dpi = DpiOfWindow(window);
  m_hBigIcon = LoadProgramIcon(IDI_PROGRAM, SystemMetricForDpi(SM_CXICON, dpi), SystemMetricForDpi(SM_CYICON, dpi));
  m_hSmallIcon =
      LoadProgramIcon(IDI_PROGRAM, SystemMetricForDpi(SM_CXSMICON, dpi), SystemMetricForDpi(SM_CYSMICON, dpi));
  ::SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hBigIcon));
  ::SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon));
}

void CWindowIcons::FreeWindowIcons(HWND window) {
  // The window lets go of them first: it draws them until it is gone.
  if (window) {
    ::SendMessageW(window, WM_SETICON, ICON_BIG, 0);
    ::SendMessageW(window, WM_SETICON, ICON_SMALL, 0);
  }
  if (m_hBigIcon) DestroyIcon(m_hBigIcon);
  if (m_hSmallIcon) DestroyIcon(m_hSmallIcon);
  m_hBigIcon = m_hSmallIcon = nullptr;
}

void CWindowIcons::FreeScaledIcons() {
  if (!m_hScaledIcons) return;
  if (m_pList && m_pList->m_hWnd) m_pList->SetImageList(nullptr, LVSIL_SMALL);
  if (m_pDrives && m_pDrives->Control().m_hWnd) m_pDrives->Control().SetImageList(nullptr);
  ImageList_Destroy(m_hScaledIcons);
  m_hScaledIcons = nullptr;
  m_scaledIconOf.clear();
}

int CWindowIcons::FolderIcon() {
  wchar_t windowsDir[MAX_PATH] = {};
  GetWindowsDirectoryW(windowsDir, MAX_PATH);
  return ShellIconIndex(qz::Utf8Path(windowsDir).c_str(), true);
}
