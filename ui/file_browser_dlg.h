// The main window: drive selector, hidden file-type selector, path label, file list and
// the back, help and exit buttons.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "controls.h"
#include "dialog.h"
#include "file_entry.h"
#include "replace_transaction.h"

// An extra file type of the hidden selector (the program adds none).
struct FileTypeEntry {
  char szText[MAX_PATH];
  FileTypeEntry* pNext;
};

class CFileBrowserDlg : public CDialog {
 public:
  CFileBrowserDlg();
  ~CFileBrowserDlg() override;

  // Lists m_szCurrentDir: folders first, then files, each group sorted by display name.
  void RefreshListing();
  static int GetShellIconIndex(const char* utf8Path, BOOL isFolder);

  // One file into path + ".qz" and back, each asking for the password first (inside a
  // batch only until a password of two or more bytes has been given).
  void EncryptOneFile(const char* path);
  void DecryptOneFile(const char* path);

  CComboBoxEx m_cbDrive;
  CStatic m_stPath;
  CComboBox m_cbFileType;
  CListCtrl m_lvFiles;
  // Paths are UTF-8, limited to MAX_PATH characters by the system.
  char m_szCurrentDir[1024];  // always ends with a backslash
  char m_szItemPath[1024];
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
  int m_nMenuItem = -1;
  ULONGLONG m_nFileSize = 0;
  // The password of the current operation; its second byte doubles as the batch's marker.
  char m_szPassword[260] = {};
  BOOL m_bBatch = FALSE;
  int m_nReplaceAnswer = 0;  // in a batch: 0 until asked, then IDYES or IDNO
  int m_nUnopened = 0;       // in a batch: files the password did not open
  HICON m_hBigIcon = nullptr;    // icon 128 in the title bar and the task switcher
  HICON m_hSmallIcon = nullptr;

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
  void OnListKeyDown(NMHDR* header, LRESULT* result);
  void OnContextMenu(HWND window, POINT screen);
  void OnDropFiles(HDROP drop);

  DECLARE_MESSAGE_MAP()

 private:
  void FillFileTypes();
  void FillDrives();
  void AttachSystemImageLists();
  void FitDropDownHeight(CComboBox& combo, int itemCount);
  void FreeFileTypes();
  void ShowProductPage();
  void SetWindowIcons();
  void FreeWindowIcons();
  // Lists folder (a path with or without the final backslash) and selects its drive.
  void ShowFolder(const std::string& folder);
  void DropOneItem(const std::string& path);
  void DropFiles(const std::vector<std::string>& paths);

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
  int SelectedItem() const;
  // Selects and focuses the item and scrolls it into view.
  void SelectItem(int item);
  // F5: lists again, keeping the selected item selected if it is still there.
  void RefreshKeepingSelection();

  bool AskPassword(bool forEncryption);
  void WipePassword();
  // Whether an existing file of the output's name may be replaced (a batch asks once).
  bool MayReplace(const std::string& destination);
  // The one report and the listing after a single-file operation.
  void FinishOperation(qz::Outcome outcome, const char* failure, const char* success,
                       const char* source);
  // The end of every single-file operation that got its password.
  void FinishSingle();
  void ProbeFileSize(const char* path);
  void RunFolderBatch(bool encrypt);
  // The files of a batch with one password prompt; files the password does not open are
  // told in one message at the end. The caller shows the closing message.
  void RunFileBatch(const std::vector<std::string>& paths, bool encrypt);
  void ShowContextMenu(int item);
  // The item's name on disk (UTF-8), as the listing found it.
  std::string ItemName(int item) const;
  // The item's name on disk with m_szCurrentDir in front, refused when too long.
  bool ItemPath(int item, char (&path)[1024]);
};
