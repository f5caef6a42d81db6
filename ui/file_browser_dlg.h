// The main window: drive selector, hidden file-type selector, path label, file list and
// the back, help and exit buttons.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "controls.h"
#include "dialog.h"
#include "file_entry.h"
#include "window_front_end.h"
#include "front_end.h"
#include "password_dialogs.h"
#include "settings_file.h"
#include "transactions/replace_transaction.h"

class COwnerDrawMenu;

// The file commands: a double-click encrypts or decrypts, and the context menu offers
// each for a folder's files; an upgrade turns ".qz" files into strong (".age") ones.
using FileCommand = qzops::FileCommand;

// An extra file type of the hidden selector (the program adds none).
struct FileTypeEntry {
  char szText[MAX_PATH];
  FileTypeEntry* pNext;
};

class CFileBrowserDlg : public CDialog {
 public:
  // Shows folder (ending in a backslash) when it opens.
  explicit CFileBrowserDlg(const std::string& folder = "C:\\");
  ~CFileBrowserDlg() override;

  // The program's arguments, as full paths: the window starts with them as with a drop.
  void StartWith(std::vector<std::wstring> fullPaths) { m_startPaths = std::move(fullPaths); }
  // An argument resolved against the current folder; empty when the system cannot.
  static std::wstring FullPathOf(const std::wstring& argument);

  // Lists m_strCurrentDir: folders first, then files, each group sorted by display name.
  void RefreshListing();
  static int GetShellIconIndex(const char* utf8Path, BOOL isFolder);

  // One file into path + ".qz" (or ".age", as the dialog's check box chose) and back,
  // and a ".qz" file into its ".age" counterpart, each asking for the password first.
  void EncryptOneFile(const char* path);
  void DecryptOneFile(const char* path);
  void UpgradeOneFile(const char* path);
  // The file's size for the progress window; 0 after telling why it cannot be known.
  ULONGLONG ProbeFileSize(const char* path);

  CComboBoxEx m_cbDrive;
  CStatic m_stPath;
  CComboBox m_cbFileType;
  CListCtrl m_lvFiles;
  // Paths are UTF-8, up to the system's limit for the long-path form (qz::MaxPathLength).
  std::string m_strCurrentDir;  // always ends with a backslash
  std::vector<std::string> m_itemNames;  // each list item's name on disk, by index
  std::unique_ptr<char[]> m_pDriveStrings;  // the drive selector's item data point into it
  DWORD m_dwDrives = 0;
  int m_nDrive = -1;
  int m_nFileType = 0;
  int m_nMaxTextWidth = 0;
  int m_nItems = 0;
  int m_nFolders = 0;
  int m_nFiles = 0;
  FileEntry m_folderAnchor = {};
  FileEntry m_fileAnchor = {};
  FileEntry* m_pFolderTail = nullptr;
  FileEntry* m_pFileTail = nullptr;
  FileTypeEntry* m_pFileTypes = nullptr;
  int m_nEncryptedIcon = -1;
  HICON m_hBigIcon = nullptr;    // icon 128 in the title bar and the task switcher
  HICON m_hSmallIcon = nullptr;
  // The icons at the window's dpi when the system's list has another size; owned.
  HIMAGELIST m_hScaledIcons = nullptr;
  std::unordered_map<int, int> m_scaledIconOf;  // system icon index -> index in it

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  BOOL PreTranslateMessage(MSG* msg) override;

  void OnSelchangeFileType();
  void OnSelchangeDrive();
  void OnDestroy();
  void OnListDblClick(NMHDR* header, LRESULT* result);
  // What a double-click on the item does: enter the folder, or encrypt or decrypt.
  void ActivateItem(int item);
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
  void FillFileTypes();
  void FillDrives();
  void AttachSystemImageLists();
  // Gives the list and the drive selector icons of the size the window's dpi asks for.
  void FitIconsToDpi();
  void FreeScaledIcons();
  // The image the controls show for a system icon index.
  int ListIcon(int systemIndex);
  void FitDropDownHeight(CComboBox& combo, int itemCount);
  void FreeFileTypes();
  void ShowProductPage();
  void SetWindowIcons();
  void FreeWindowIcons();
  // Lists folder (a path with or without the final backslash) and selects its drive.
  void ShowFolder(const std::string& folder);
  void DropOneItem(const std::string& path);
  void DropFiles(const std::vector<std::string>& paths);
  // Several paths as one batch, as a drop gives them, by the operations layer's plan: for
  // kEncrypt plain files are encrypted and ".qz" and ".age" files decrypted, for kUpgrade
  // ".qz" files upgraded; folders are left alone and counted in foldersLeft ("%s": the
  // count). showFolder lists the first file's folder first.
  void RunPaths(const std::vector<std::string>& paths, FileCommand command, const char* foldersLeft, bool showFolder);
  // What a drop of paths does: one folder is listed, one file gets its double-click.
  void OpenPaths(const std::vector<std::string>& paths);
  // The start paths when they are a single folder that can be listed (then none are left
  // to post); empty otherwise.
  std::string StartFolder();

  void ListFolders();
  void ListFiles();
  void SortEntries();
  void FillList();
  void FreeEntries();
  FileEntry* AppendEntry(FileEntry** tail);
  // The item whose text is exactly text, -1 when none.
  int FindItem(const std::string& text) const;
  // The item whose name on disk is exactly name, -1 when none.
  int FindItemByDiskName(const std::string& name) const;
  // The first selected item, -1 when none.
  int SelectedItem() const;
  std::vector<int> SelectedItems() const;
  // Selects and focuses the item and scrolls it into view.
  void SelectItem(int item);
  // F5: lists again, keeping the selected items selected (and the focused one focused)
  // where they are still there.
  void RefreshKeepingSelection();
  void SelectAll();

  // Enter or the menu on several selected items: command on its files as one batch.
  // kUpgrade upgrades the ".qz" files; the others do what a drop of the files does.
  void RunSelection(FileCommand command);
  // The context menu for several selected items, beside item.
  void ShowSelectionMenu(int item);
  // Shows menu, drawn by the program, beside item; the command chosen, 0 for none.
  UINT TrackMenuBeside(COwnerDrawMenu& menu, int item);
  // Where the context menu of item opens, in screen coordinates.
  POINT MenuPointOf(int item);

  // The menu's command on an item: a batch on a folder, the file's command on a file.
  void RunFolderBatch(FileCommand command, int item);
  // A batch's closing message with what it left alone.
  static std::wstring ClosingReport(const char* closing, int linksLeft, int othersLeft);
  void RunFileCommand(FileCommand command, const char* path);
  // The window's answers to what an operation asks.
  WindowFrontEnd Prompts();
  void ShowContextMenu(int item);
  // The item's name on disk (UTF-8), as the listing found it.
  std::string ItemName(int item) const;
  // The item's name on disk with m_strCurrentDir in front, refused when too long.
  bool ItemPath(int item, std::string* path);

  std::vector<std::wstring> m_startPaths;
  SettingsFile m_settings;
};
