#include "controls.h"

#include "text_conversion.h"

int CComboBox::AddString(const char* utf8Text) {
  const std::wstring text = Utf8ToWide(utf8Text);
  return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

std::string CComboBox::GetLBText(int index) const {
  const LRESULT length = SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
  if (length == CB_ERR) return std::string();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied = SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
  if (copied == CB_ERR) return std::string();
  text.resize(static_cast<size_t>(copied));
  return WideToUtf8(text);
}

std::string CListCtrl::GetItemText(int index) const {
  wchar_t buffer[1024] = {};
  LVITEMW item = {};
  item.iSubItem = 0;
  item.pszText = buffer;
  item.cchTextMax = 1024;
  SendMessage(LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  return WideToUtf8(buffer);
}

DWORD_PTR CListCtrl::GetItemData(int index) const {
  LVITEMW item = {};
  item.mask = LVIF_PARAM;
  item.iItem = index;
  SendMessage(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  return static_cast<DWORD_PTR>(item.lParam);
}

int CListCtrl::GetItemImage(int index) const {
  LVITEMW item = {};
  item.mask = LVIF_IMAGE;
  item.iItem = index;
  SendMessage(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  return item.iImage;
}
