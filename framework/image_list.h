// An image list handle; destroyed with the object only when it was created or attached
// as owned. The system's shared lists are attached unowned and detached again.
#pragma once

#include <windows.h>
#include <commctrl.h>

class CImageList {
 public:
  CImageList() = default;
  ~CImageList();
  CImageList(const CImageList&) = delete;
  CImageList& operator=(const CImageList&) = delete;

  BOOL Attach(HIMAGELIST images, bool owned = false);
  HIMAGELIST Detach();
  // Replaces image index with icon, or appends it for -1; returns the index or -1.
  int Replace(int index, HICON icon) { return ImageList_ReplaceIcon(m_hImageList, index, icon); }
  int Add(HICON icon) { return Replace(-1, icon); }
  int GetImageCount() const { return ImageList_GetImageCount(m_hImageList); }

  HIMAGELIST m_hImageList = nullptr;

 private:
  bool m_bOwned = false;
};
