#include "controls.h"

int CComboBox::AddString(const char* ansiText) {
  return static_cast<int>(::SendMessageA(m_hWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ansiText)));
}

std::string CComboBox::GetLBText(int index) const {
  LRESULT length = ::SendMessageA(m_hWnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR) return std::string();
  // Allow for the double-byte form of a wide text.
  std::string text(static_cast<size_t>(length) * 2 + 1, '\0');
  LRESULT copied = ::SendMessageA(m_hWnd, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                  reinterpret_cast<LPARAM>(&text[0]));
  if (copied == CB_ERR) return std::string();
  text.resize(strlen(text.c_str()));
  return text;
}

std::string CListCtrl::GetItemText(int index) const {
  char buffer[1024] = {};
  LVITEMA item = {};
  item.iSubItem = 0;
  item.pszText = buffer;
  item.cchTextMax = sizeof(buffer);
  ::SendMessageA(m_hWnd, LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  return buffer;
}

DWORD_PTR CListCtrl::GetItemData(int index) const {
  LVITEMA item = {};
  item.mask = LVIF_PARAM;
  item.iItem = index;
  ::SendMessageA(m_hWnd, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return static_cast<DWORD_PTR>(item.lParam);
}

int CListCtrl::GetItemImage(int index) const {
  LVITEMA item = {};
  item.mask = LVIF_IMAGE;
  item.iItem = index;
  ::SendMessageA(m_hWnd, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return item.iImage;
}
