// The main window's drive selector: one item "(X:)" per drive, with the drive's icon;
// each item's data is its root ("X:\").
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "controls.h"

class CDriveSelector {
 public:
  CComboBoxEx& Control() { return m_cbDrive; }

  // The system's drives, each with the shell's icon; the drive of folder is the one
  // shown. An item that cannot be added is told of in a box owned by owner.
  void Fill(CWnd& owner, const std::string& folder);
  // Shows the drive of folder (a path "X:\..."), none when it is on no listed drive.
  void ShowDriveOf(const std::string& folder);
  // Shows the drive Fill or ShowDriveOf found.
  void ShowChosen() { m_cbDrive.SetCurSel(m_nDrive); }
  // The root of the drive the user chose, nullptr when none.
  const char* Choose();
  // Every drive's image: imageOf its root, in images.
  void SetImages(HIMAGELIST images, const std::function<int(const char* root)>& imageOf);
  void FitHeight(int dpi);
  // Whether focus is the selector or inside it.
  bool Holds(HWND focus) const;
  // The roots go with the window; the items point into them.
  void Forget() { m_pDriveStrings.reset(); }

 private:
  // Item index's root, nullptr when it has none.
  const char* RootOf(int index) const;

  CComboBoxEx m_cbDrive;
  std::unique_ptr<char[]> m_pDriveStrings;
  int m_nDrive = -1;
};
