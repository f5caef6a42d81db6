#include "drive_selector.h"

#include <cstring>

#include "drop_down_height.h"
#include "shell_icon.h"
#include "text_conversion.h"

void CDriveSelector::Fill(CWnd& owner, const std::string& folder) {
  // Sized from the drive mask, and asked again if a drive appeared in between.
  DWORD drives = GetLogicalDrives() & 0x3FFFFFF;
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
    if (!folder.empty() && entry[0] == folder[0]) m_nDrive = inserted;

    char text[8];
    text[0] = '(';
    text[1] = entry[0];
    std::strcpy(text + 2, ":)");
    std::wstring wideText = Utf8ToWide(text);
    COMBOBOXEXITEMW item = {};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    item.iItem = -1;
    item.pszText = &wideText[0];
    item.iImage = ShellIconIndex(entry, true);
    item.iSelectedImage = item.iImage;
    int index = m_cbDrive.InsertItem(&item);
    if (index == -1) {
      owner.MessageBox("添加目录或文件出错！", "", MB_OK);
      continue;
    }
    m_cbDrive.SetItemData(inserted, reinterpret_cast<DWORD_PTR>(entry));
    ++inserted;
  }
}

void CDriveSelector::ShowDriveOf(const std::string& folder) {
  // As if the drive had been chosen there.
  auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
  m_nDrive = -1;
  for (int i = 0, count = m_cbDrive.GetCount(); folder.size() > 1 && folder[1] == ':' && i < count; ++i) {
    const char* root = RootOf(i);
    if (root && *root == upper(folder[0])) {
      m_nDrive = i;
      break;
    }
  }
  ShowChosen();
}

const char* CDriveSelector::Choose() {
  m_nDrive = m_cbDrive.GetCurSel();
  return m_nDrive < 0 ? nullptr : RootOf(m_nDrive);
}

void CDriveSelector::SetImages(HIMAGELIST images, const std::function<int(const char* root)>& imageOf) {
  m_cbDrive.SetImageList(images);
  for (int item = 0; item < m_cbDrive.GetCount(); ++item) {
    const char* root = RootOf(item);
    if (!root) continue;
    COMBOBOXEXITEMW drive = {};
    drive.mask = CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    drive.iItem = item;
    drive.iImage = drive.iSelectedImage = imageOf(root);
    m_cbDrive.SendMessage(CBEM_SETITEMW, 0, reinterpret_cast<LPARAM>(&drive));
  }
}

void CDriveSelector::FitHeight(int dpi) { FitDropDownHeight(m_cbDrive, m_cbDrive.GetCount(), dpi); }

bool CDriveSelector::Holds(HWND focus) const {
  return focus && (focus == m_cbDrive.m_hWnd || ::IsChild(m_cbDrive.m_hWnd, focus));
}

const char* CDriveSelector::RootOf(int index) const {
  const DWORD_PTR data = m_cbDrive.GetItemData(index);
  return data && data != static_cast<DWORD_PTR>(CB_ERR) ? reinterpret_cast<const char*>(data) : nullptr;
}
