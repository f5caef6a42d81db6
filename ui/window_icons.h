// The main window's icons at its monitor's dpi: its own in the title bar and the task
// switcher, and the images of its list and drive selector: the system's small icons and
// the program's encrypted-file icon among them.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <unordered_map>

#include "controls.h"

class CDriveSelector;

class CWindowIcons {
 public:
  CWindowIcons() = default;
  CWindowIcons(const CWindowIcons&) = delete;
  CWindowIcons& operator=(const CWindowIcons&) = delete;
  ~CWindowIcons();

  // The system's small icons, with the encrypted-file icon added, into list and drives.
  void Attach(CListCtrl& list, CDriveSelector& drives);
  // Gives the list and the drives icons of the size window's dpi asks for.
  void FitToDpi(HWND window);
  // The image the controls show for a system icon index.
  int ListIcon(int systemIndex);
  // The program's icon at window's dpi, in its title bar and task switcher.
  void SetWindowIcons(HWND window);
  void FreeWindowIcons(HWND window);
  // Lets the controls go of the images of their own size.
  void FreeScaledIcons();

  // Every folder's icon: the shell's, without asking the folder.
  static int FolderIcon();
  int EncryptedIcon() const { return m_nEncryptedIcon; }
  HICON BigIcon() const { return m_hBigIcon; }
  HICON SmallIcon() const { return m_hSmallIcon; }

 private:
  CListCtrl* m_pList = nullptr;
  CDriveSelector* m_pDrives = nullptr;
  int m_nEncryptedIcon = -1;
  HICON m_hBigIcon = nullptr;
  HICON m_hSmallIcon = nullptr;
  // The icons at the window's dpi when the system's list has another size.
  HIMAGELIST m_hScaledIcons = nullptr;
  std::unordered_map<int, int> m_scaledIconOf;  // system icon index -> index in it
};
