#include "file_browser_dlg.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "about_dlg.h"
#include "app.h"
#include "clipboard_secret.h"
#include "dpi.h"
#include "fs/win_path.h"
#include "image_list.h"
#include "message_box.h"
#include "resource.h"
#include "text_conversion.h"

BEGIN_MESSAGE_MAP(CFileBrowserDlg, CDialog)
  ON_CBN_SELCHANGE(IDC_FILE_TYPE, &CFileBrowserDlg::OnSelchangeFileType)
  ON_CBN_SELCHANGE(IDC_DRIVE, &CFileBrowserDlg::OnSelchangeDrive)
  ON_NOTIFY(NM_DBLCLK, IDC_FILE_LIST, &CFileBrowserDlg::OnListDblClick)
  ON_WM_DESTROY()
  ON_BN_CLICKED(IDC_BACK, &CFileBrowserDlg::OnBackToParent)
  ON_BN_CLICKED(ID_HELP, &CFileBrowserDlg::OnHelpButton)
  ON_NOTIFY(NM_RCLICK, IDC_FILE_LIST, &CFileBrowserDlg::OnListRClick)
  ON_COMMAND(ID_MENU_DECRYPT, &CFileBrowserDlg::OnMenuDecrypt)
  ON_COMMAND(ID_MENU_ENCRYPT, &CFileBrowserDlg::OnMenuEncrypt)
  ON_COMMAND(ID_MENU_UPGRADE, &CFileBrowserDlg::OnMenuUpgrade)
  ON_NOTIFY(LVN_KEYDOWN, IDC_FILE_LIST, &CFileBrowserDlg::OnListKeyDown)
  ON_WM_CONTEXTMENU()
  ON_WM_DROPFILES()
  ON_MESSAGE(WM_DPICHANGED, &CFileBrowserDlg::OnDpiChanged)
  ON_MESSAGE(CFileBrowserDlg::kStartPathsMessage, &CFileBrowserDlg::OnStartPaths)
END_MESSAGE_MAP()

namespace {
constexpr char kAllFilesType[] = "All files (*.*)";
}

CFileBrowserDlg::CFileBrowserDlg(const std::string& folder)
    : CDialog(IDD_FILE_BROWSER), m_strCurrentDir(folder), m_settings(SettingsFile::ProgramPath()) {}

CFileBrowserDlg::~CFileBrowserDlg() {
  FreeWindowIcons();
  FreeScaledIcons();
  FreeEntries();
  FreeFileTypes();
}

void CFileBrowserDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_DRIVE, m_cbDrive);
  DDX_Control(dx, IDC_PATH_LABEL, m_stPath);
  DDX_Control(dx, IDC_FILE_TYPE, m_cbFileType);
  DDX_Control(dx, IDC_FILE_LIST, m_lvFiles);
}

BOOL CFileBrowserDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_settings.Load();
  m_dwDrives = GetLogicalDrives();
  FillFileTypes();
  FillDrives();
  // A path label that is still too long after shortening (see RefreshListing) ends in "...".
  m_stPath.ModifyStyle(0, SS_ENDELLIPSIS);
  AttachSystemImageLists();
  FitIconsToDpi();
  FitDropDownHeight(m_cbDrive, m_cbDrive.GetCount());
  m_cbDrive.SetCurSel(m_nDrive);
  // A single folder the program was started with is listed from the start.
  const std::string startFolder = StartFolder();
  if (startFolder.empty())
    RefreshListing();
  else
    ShowFolder(startFolder);
  SetWindowIcons();
  DragAcceptFiles(m_hWnd, TRUE);
  // The list starts with the focus, so that Enter and the arrows act on its items.
  SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_lvFiles.m_hWnd), TRUE);
  // Other start paths are worked on once the window is up, so their prompts have an owner.
  if (!m_startPaths.empty()) ::PostMessageW(m_hWnd, kStartPathsMessage, 0, 0);
  return FALSE;
}

void CFileBrowserDlg::SetWindowIcons() {
  HINSTANCE instance = AfxGetInstanceHandle();
  const int dpi = DpiOfWindow(m_hWnd);
  m_hBigIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON,
                                             SystemMetricForDpi(SM_CXICON, dpi),
                                             SystemMetricForDpi(SM_CYICON, dpi), 0));
  m_hSmallIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON,
                                               SystemMetricForDpi(SM_CXSMICON, dpi),
                                               SystemMetricForDpi(SM_CYSMICON, dpi), 0));
  SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hBigIcon));
  SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon));
}

void CFileBrowserDlg::FreeWindowIcons() {
  // The window lets go of them first: it draws them until it is gone.
  if (m_hWnd) {
    SendMessage(WM_SETICON, ICON_BIG, 0);
    SendMessage(WM_SETICON, ICON_SMALL, 0);
  }
  if (m_hBigIcon) DestroyIcon(m_hBigIcon);
  if (m_hSmallIcon) DestroyIcon(m_hSmallIcon);
  m_hBigIcon = m_hSmallIcon = nullptr;
}

void CFileBrowserDlg::FillFileTypes() {
  int count = 0;
  if (m_cbFileType.AddString(kAllFilesType) >= 0) ++count;
  for (FileTypeEntry* type = m_pFileTypes; type; type = type->pNext)
    if (m_cbFileType.AddString(type->szText) >= 0) ++count;
  FitDropDownHeight(m_cbFileType, count);
  m_cbFileType.SetCurSel(m_nFileType);
}

void CFileBrowserDlg::FillDrives() {
  // Sized from the drive mask, and asked again if a drive appeared in between.
  DWORD drives = m_dwDrives & 0x3FFFFFF;
  DWORD size = 1;
  for (; drives; drives &= drives - 1) size += 4;
  m_pDriveStrings.reset(new char[size]());
  DWORD length = GetLogicalDriveStringsA(size, m_pDriveStrings.get());
  for (int attempt = 0; length > size && attempt < 8; ++attempt) {
    size = length + 1;
    m_pDriveStrings.reset(new char[size]());
    length = GetLogicalDriveStringsA(size, m_pDriveStrings.get());
  }
  if (length == 0 || length > size) {
    m_pDriveStrings[0] = '\0';
    return;
  }

  int inserted = 0;
  for (char* entry = m_pDriveStrings.get(); *entry && entry < m_pDriveStrings.get() + length;
       entry += std::strlen(entry) + 1) {
    if (static_cast<signed char>(entry[0]) > 'Z') entry[0] = static_cast<char>(entry[0] - 32);
    if (!m_strCurrentDir.empty() && entry[0] == m_strCurrentDir[0]) m_nDrive = inserted;

    char text[8];
    text[0] = '(';
    text[1] = entry[0];
    std::strcpy(text + 2, ":)");
    std::wstring wideText = Utf8ToWide(text);
    COMBOBOXEXITEMW item = {};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    item.iItem = -1;
    item.pszText = &wideText[0];
    item.iImage = GetShellIconIndex(entry, TRUE);
    item.iSelectedImage = item.iImage;
    int index = m_cbDrive.InsertItem(&item);
    if (index == -1) {
      MessageBox("添加目录或文件出错！", "", MB_OK);
      continue;
    }
    m_cbDrive.SetItemData(inserted, reinterpret_cast<DWORD_PTR>(entry));
    ++inserted;
  }
}

void CFileBrowserDlg::AttachSystemImageLists() {
  // The system's lists are shared: wrapped here only, never destroyed.
  SHFILEINFOA info = {};
  CImageList small;
  CImageList large;
  small.Attach(reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(
      "C:\\", 0, &info, sizeof(info),
      SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON)));
  large.Attach(reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(
      "C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES)));

  // Each list gets the image drawn for its own size.
  auto add = [](CImageList& list) {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(list.m_hImageList, &cx, &cy);
    HICON icon = static_cast<HICON>(LoadImageW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDI_ENCRYPTED_FILE),
                                               IMAGE_ICON, cx, cy, 0));
    int index = list.Add(icon);
    if (icon) DestroyIcon(icon);  // the list keeps a copy
    return index;
  };
  int smallIndex = add(small);
  add(large);
  // The list shows the small list, so the index must be the small list's own, even if
  // the two lists ever differ in length.
  m_nEncryptedIcon = smallIndex >= 0 ? smallIndex : large.GetImageCount() - 1;

  m_cbDrive.SetImageList(small.m_hImageList);
  m_lvFiles.SetImageList(small.m_hImageList, LVSIL_SMALL);
  m_lvFiles.ModifyStyle(LVS_TYPEMASK | WS_VSCROLL, LVS_SMALLICON);
  small.Detach();
  large.Detach();
}

void CFileBrowserDlg::FitDropDownHeight(CComboBox& combo, int itemCount) {
  RECT client;
  combo.GetClientRect(&client);
  int height = combo.GetItemHeight(-1) + itemCount * combo.GetItemHeight(0) +
               4 * SystemMetricForDpi(SM_CYEDGE, DpiOfWindow(m_hWnd));
  combo.SetWindowPos(nullptr, 0, 0, client.right - client.left, height,
                     SWP_NOMOVE | SWP_NOZORDER);
  // Wine's extended combo box keeps the height of its inner combo box, whose height is
  // the one that sets the drop-down's; size that one too (0 for a plain combo box).
  wchar_t className[32] = {};
  GetClassNameW(combo.m_hWnd, className, 32);
  HWND inner = lstrcmpiW(className, WC_COMBOBOXEXW) == 0
                   ? reinterpret_cast<HWND>(combo.SendMessage(CBEM_GETCOMBOCONTROL))
                   : nullptr;
  if (inner) {
    RECT innerRect;
    ::GetWindowRect(inner, &innerRect);
    ::SetWindowPos(inner, nullptr, 0, 0, innerRect.right - innerRect.left, height,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void CFileBrowserDlg::OnSelchangeFileType() {
  m_nFileType = m_cbFileType.GetCurSel();
  RefreshListing();
}

void CFileBrowserDlg::OnOK() {
  // Enter comes here wherever the focus is. In the list it acts on the selected item, in
  // the drive selector it does nothing; only the exit button leaves.
  HWND focus = ::GetFocus();
  if (focus && focus == m_lvFiles.m_hWnd) {
    if (m_lvFiles.GetSelectedCount() > 1)
      RunSelection(FileCommand::kEncrypt);
    else
      ActivateItem(SelectedItem());
    return;
  }
  if (focus && (focus == m_cbDrive.m_hWnd || ::IsChild(m_cbDrive.m_hWnd, focus))) return;
  ShowProductPage();
  CDialog::OnOK();
}

BOOL CFileBrowserDlg::PreTranslateMessage(MSG* msg) {
  // With nothing selected, the first arrow key selects the focused item: the list itself
  // would move on from it, so the first Down after a listing would skip the first item.
  if (msg->message == WM_KEYDOWN && msg->hwnd == m_lvFiles.m_hWnd && GetKeyState(VK_CONTROL) >= 0 &&
      GetKeyState(VK_SHIFT) >= 0) {
    switch (msg->wParam) {
      case VK_UP: case VK_DOWN: case VK_LEFT: case VK_RIGHT:
        if (SelectedItem() < 0 && m_lvFiles.GetNextItem(-1, LVNI_FOCUSED) >= 0) {
          SelectItem(m_lvFiles.GetNextItem(-1, LVNI_FOCUSED));
          return TRUE;
        }
        break;
      default:
        break;
    }
  }
  return CDialog::PreTranslateMessage(msg);
}

void CFileBrowserDlg::OnCancel() { CDialog::OnCancel(); }

void CFileBrowserDlg::OnHelpButton() {
  CAboutDlg about;
  about.DoModal();
}

void CFileBrowserDlg::OnDestroy() {
  // A generated passphrase copied less than a minute ago goes with the program.
  ClearSecretFromClipboard(m_hWnd);
  DragAcceptFiles(m_hWnd, FALSE);
  FreeWindowIcons();
  FreeScaledIcons();
  FreeFileTypes();
  m_pDriveStrings.reset();
}

void CFileBrowserDlg::FreeFileTypes() {
  while (m_pFileTypes) {
    FileTypeEntry* next = m_pFileTypes->pNext;
    delete m_pFileTypes;
    m_pFileTypes = next;
  }
  m_nFileType = 0;
}

int CFileBrowserDlg::GetShellIconIndex(const char* utf8Path, BOOL isFolder) {
  SHFILEINFOW info = {};
  // The shell takes no long-path form; with SHGFI_USEFILEATTRIBUTES it reads the name alone.
  std::wstring wide = qz::WidePath(utf8Path);
  if (wide.rfind(L"\\\\?\\", 0) == 0) wide = wide.substr(wide.find_last_of(L'\\') + 1);
  SHGetFileInfoW(wide.c_str(), isFolder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL, &info,
                 sizeof(info), SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON);
  return info.iIcon;
}
