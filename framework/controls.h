// Wrappers of the controls the program's dialogs bind. Texts of list and combo items are
// UTF-8, the program's form of names, and reach the controls as wide text: an ANSI
// text could not hold every name.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "wnd.h"

class CStatic : public CWnd {};

class CButton : public CWnd {};

class CEdit : public CWnd {
 public:
  void SetLimitText(UINT maxCharacters) { SendMessage(EM_SETLIMITTEXT, maxCharacters); }
};

class CComboBox : public CWnd {
 public:
  int AddString(const char* utf8Text);
  int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
  int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
  int SetCurSel(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index))); }
  // The item's text, "" for an invalid index.
  std::string GetLBText(int index) const;
  int GetItemHeight(int index) const {
    return static_cast<int>(SendMessage(CB_GETITEMHEIGHT, static_cast<WPARAM>(index)));
  }
  int SetItemData(int index, DWORD_PTR data) {
    return static_cast<int>(SendMessage(CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)));
  }
  DWORD_PTR GetItemData(int index) const {
    return static_cast<DWORD_PTR>(SendMessage(CB_GETITEMDATA, static_cast<WPARAM>(index)));
  }
};

class CComboBoxEx : public CComboBox {
 public:
  // Returns the new item's index, or -1.
  int InsertItem(const COMBOBOXEXITEMW* item) {
    return static_cast<int>(SendMessage(CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(item)));
  }
  void SetImageList(HIMAGELIST images) {
    SendMessage(CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
  }
};

class CListCtrl : public CWnd {
 public:
  BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
  int InsertItem(const LVITEMW* item) {
    return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(item)));
  }
  int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
  int GetSelectedCount() const { return static_cast<int>(SendMessage(LVM_GETSELECTEDCOUNT)); }
  std::string GetItemText(int index) const;
  DWORD_PTR GetItemData(int index) const;
  int GetItemImage(int index) const;
  // Width in pixels of text in the list's font.
  int GetStringWidth(const wchar_t* text) const {
    return static_cast<int>(SendMessage(LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text)));
  }
  BOOL SetColumnWidth(int column, int width) {
    return static_cast<BOOL>(SendMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0)));
  }
  int GetColumnWidth(int column) const {
    return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
  }
  // LVNI_SELECTED, LVNI_FOCUSED...: the next such item after start (-1: from the top).
  int GetNextItem(int start, UINT flags) const {
    return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0)));
  }
  UINT GetItemState(int index, UINT mask) const {
    return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(index), mask));
  }
  BOOL SetItemState(int index, UINT state, UINT mask) {
    LVITEMW item = {};
    item.state = state;
    item.stateMask = mask;
    return static_cast<BOOL>(SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
  }
  BOOL EnsureVisible(int index, BOOL partialOK) {
    return static_cast<BOOL>(SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), partialOK));
  }
  HIMAGELIST SetImageList(HIMAGELIST images, int which) {
    return reinterpret_cast<HIMAGELIST>(
        SendMessage(LVM_SETIMAGELIST, static_cast<WPARAM>(which), reinterpret_cast<LPARAM>(images)));
  }
};

class CProgressCtrl : public CWnd {
 public:
  void SetRange32(int lower, int upper) { SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(lower), upper); }
  int SetPos(int position) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(position))); }
  int GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS)); }
};
