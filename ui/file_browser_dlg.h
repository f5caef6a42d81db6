// The main window: drive selector, hidden file-type selector, path label, file list and
// the back, help and exit buttons. It keeps the current folder and turns the user's
// clicks, keys and drops into the commands of its parts.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <string>
#include <vector>

#include "controls.h"
#include "dialog.h"
#include "drive_selector.h"
#include "file_commands.h"
#include "file_list.h"
#include "list_menus.h"
#include "window_icons.h"

class CFileBrowserDlg : public CDialog {
 public:
  // Shows folder (ending in a backslash) when it opens.
  explicit CFileBrowserDlg(const std::string& folder = "C:\\");
  ~CFileBrowserDlg() override;

  // The program's arguments, as full paths: the window starts with them as with a drop.
  void StartWith(std::vector<std::wstring> fullPaths) { m_startPaths = std::move(fullPaths); }
  // An argument resolved against the current folder; empty when the system cannot.
  static std::wstring FullPathOf(const std::wstring& argument);

  // Lists the current folder: folders first, then files, each group by display name.
  void RefreshListing();
  // The folder listed, always ending with a backslash. Paths are UTF-8, up to the
  // system's limit for the long-path form (qz::MaxPathLength).
  const std::string& CurrentFolder() const { return m_strCurrentDir; }
  // Takes folder for the current one without listing it, as if it had been entered.
  void SetCurrentFolderUnlisted(const std::string& folder) { m_strCurrentDir = folder; }
  static int GetShellIconIndex(const char* utf8Path, BOOL isFolder);
  // The file's size for the progress window (see CFileCommands::ProbeFileSize).
  std::uint64_t ProbeFileSize(const char* path, qz::CancelToken& cancel) {
    return m_commands.ProbeFileSize(path, cancel);
  }
  const CWindowIcons& Icons() const { return m_icons; }
  const CFileList& List() const { return m_list; }

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  BOOL PreTranslateMessage(MSG* msg) override;

  void OnSelchangeFileType();
  void OnSelchangeDrive();
  void OnDestroy();
  void OnListDblClick(NMHDR* header, LRESULT* result);
  void OnBackToParent();
  void OnHelpButton();
  void OnListRClick(NMHDR* header, LRESULT* result);
  void OnMenuEncrypt();
  void OnMenuDecrypt();
  void OnMenuUpgrade();
  void OnListKeyDown(NMHDR* header, LRESULT* result);
  void OnContextMenu(HWND window, POINT screen);
  void OnDropFiles(HDROP drop);
  LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);
  static constexpr UINT kStartPathsMessage = WM_APP + 0x51;
  // Posted by OnInitDialog: the start paths' work, once the window is there to own prompts.
  LRESULT OnStartPaths(WPARAM wParam, LPARAM lParam);

  DECLARE_MESSAGE_MAP()

 private:
  // What a double-click on the item does: enter the folder, or encrypt or decrypt.
  void ActivateItem(int item);
  // One file into path + ".qz" (or ".age", as the dialog's check box chose) and back,
  // each asking for the password first.
  void EncryptOneFile(const char* path);
  void DecryptOneFile(const char* path);
  // Lists folder (a path with or without the final backslash) and selects its drive.
  void ShowFolder(const std::string& folder);
  // F5: lists again, keeping the selected items selected (and the focused one focused)
  // where they are still there.
  void RefreshKeepingSelection();
  // The item's name on disk with the current folder in front, refused when too long.
  bool ItemPath(int item, std::string* path);

  // The context menu of item, or of the selection when item is one of several selected.
  void ShowContextMenu(int item);
  // The menu's command on an item: a batch on a folder, the file's command on a file.
  void RunItemCommand(FileCommand command, int item);
  // Enter or the menu on several selected items: command on its files as one batch.
  // kUpgrade upgrades the ".qz" files; the others do what a drop of the files does.
  void RunSelection(FileCommand command);

  // What a drop of paths does: one folder is listed, one file gets its double-click,
  // several files are one batch.
  void OpenPaths(const std::vector<std::string>& paths);
  void DropOneItem(const std::string& path);
  // The start paths when they are a single folder that can be listed (then none are left
  // to post); empty otherwise.
  std::string StartFolder();

  std::string m_strCurrentDir;  // always ends with a backslash
  std::vector<std::wstring> m_startPaths;
  CStatic m_stPath;
  CComboBox m_cbFileType;
  CDriveSelector m_drives;
  CFileList m_list;
  // After the controls it gives images to: it lets go of them first.
  CWindowIcons m_icons;
  CListMenus m_menus{*this, m_list};
  CFileCommands m_commands{*this, [this] { RefreshListing(); }};
};
