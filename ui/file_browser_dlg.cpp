#include "file_browser_dlg.h"

#include "about_dlg.h"
#include "clipboard_secret.h"
#include "dpi.h"
#include "drop_down_height.h"
#include "folder_reading.h"
#include "path_label.h"
#include "product_page.h"
#include "resource.h"
#include "shell_icon.h"

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

CFileBrowserDlg::CFileBrowserDlg(const std::string& folder) : CDialog(IDD_FILE_BROWSER), m_strCurrentDir(folder) {}

CFileBrowserDlg::~CFileBrowserDlg() { m_icons.FreeWindowIcons(m_hWnd); }

void CFileBrowserDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_DRIVE, m_drives.Control());
  DDX_Control(dx, IDC_PATH_LABEL, m_stPath);
  DDX_Control(dx, IDC_FILE_TYPE, m_cbFileType);
  DDX_Control(dx, IDC_FILE_LIST, m_list.Control());
}

BOOL CFileBrowserDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_commands.LoadSettings();
  // The hidden file-type selector holds its one type.
  FitDropDownHeight(m_cbFileType, m_cbFileType.AddString("All files (*.*)") >= 0 ? 1 : 0, DpiOfWindow(m_hWnd));
  m_cbFileType.SetCurSel(0);
  m_drives.Fill(*this, m_strCurrentDir);
  // A path label that is still too long after shortening (see PathLabelText) ends in "...".
  m_stPath.ModifyStyle(0, SS_ENDELLIPSIS);
  m_icons.Attach(m_list.Control(), m_drives);
  m_icons.FitToDpi(m_hWnd);
  m_drives.FitHeight(DpiOfWindow(m_hWnd));
  m_drives.ShowChosen();
  // A single folder the program was started with is listed from the start.
  const std::string startFolder = StartFolder();
  if (startFolder.empty())
    RefreshListing();
  else
    ShowFolder(startFolder);
  m_icons.SetWindowIcons(m_hWnd);
  DragAcceptFiles(m_hWnd, TRUE);
  // The list starts with the focus, so that Enter and the arrows act on its items.
  SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_list.Handle()), TRUE);
  // Other start paths are worked on once the window is up, so their prompts have an owner.
  if (!m_startPaths.empty()) ::PostMessageW(m_hWnd, kStartPathsMessage, 0, 0);
  return FALSE;
}

void CFileBrowserDlg::RefreshListing() {
  m_list.Clear();
  m_stPath.SetWindowText(PathLabelText(m_stPath.m_hWnd, m_strCurrentDir));
  ListingIcons icons;
  icons.folder = CWindowIcons::FolderIcon();
  icons.encrypted = m_icons.EncryptedIcon();
  icons.ofFile = [](const std::string& path) { return ShellIconIndex(path.c_str(), false); };
  m_list.Show(ReadFolder(m_strCurrentDir, icons), [this](int icon) { return m_icons.ListIcon(icon); });
}

void CFileBrowserDlg::RefreshKeepingSelection() {
  const CFileList::Selection selection = m_list.Remember();
  RefreshListing();
  m_list.Restore(selection);
}

int CFileBrowserDlg::GetShellIconIndex(const char* utf8Path, BOOL isFolder) {
  return ShellIconIndex(utf8Path, isFolder != FALSE);
}

void CFileBrowserDlg::OnSelchangeFileType() { RefreshListing(); }

void CFileBrowserDlg::OnOK() {
  // Enter comes here wherever the focus is. In the list it acts on the selected item, in
  // the drive selector it does nothing; only the exit button leaves.
  HWND focus = ::GetFocus();
  if (focus && focus == m_list.Handle()) {
    if (m_list.SelectedCount() > 1)
      RunSelection(FileCommand::kEncrypt);
    else
      ActivateItem(m_list.Selected());
    return;
  }
  if (m_drives.Holds(focus)) return;
  ShowProductPage();
  CDialog::OnOK();
}

BOOL CFileBrowserDlg::PreTranslateMessage(MSG* msg) {
  if (m_list.SelectFocusedOnArrow(*msg)) return TRUE;
  return CDialog::PreTranslateMessage(msg);
}

void CFileBrowserDlg::OnHelpButton() {
  CAboutDlg about;
  about.DoModal();
}

void CFileBrowserDlg::OnDestroy() {
  // A generated passphrase copied less than a minute ago goes with the program.
  ClearSecretFromClipboard(m_hWnd);
  DragAcceptFiles(m_hWnd, FALSE);
  m_icons.FreeWindowIcons(m_hWnd);
  m_icons.FreeScaledIcons();
  m_drives.Forget();
}

LRESULT CFileBrowserDlg::OnDpiChanged(WPARAM, LPARAM lParam) {
  // Where the system suggests, so that the window stays under the pointer that moved it.
  if (const auto* suggested = reinterpret_cast<const RECT*>(lParam))
    ::SetWindowPos(m_hWnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  m_icons.FitToDpi(m_hWnd);
  m_icons.FreeWindowIcons(m_hWnd);
  m_icons.SetWindowIcons(m_hWnd);
  const int dpi = DpiOfWindow(m_hWnd);
  FitDropDownHeight(m_cbFileType, m_cbFileType.GetCount(), dpi);
  m_drives.FitHeight(dpi);
  RefreshKeepingSelection();
  return 0;
}
