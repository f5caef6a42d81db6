#include "menu.h"

#include "handle_map.h"
#include "text_conversion.h"
#include "wnd.h"

namespace {

using MenuMap = HandleMap<HMENU, CMenu>;

// The menu this thread tracks now and its owner: measure requests carry no menu handle,
// so the search for their item starts here.
struct Tracking {
  HWND owner;
  HMENU menu;
};
thread_local Tracking t_tracking = {};

class TrackingScope {
 public:
  TrackingScope(HWND owner, HMENU menu) : saved_(t_tracking) { t_tracking = {owner, menu}; }
  ~TrackingScope() { t_tracking = saved_; }
  TrackingScope(const TrackingScope&) = delete;
  TrackingScope& operator=(const TrackingScope&) = delete;

 private:
  Tracking saved_;
};

// Menus cannot contain themselves, but a bound keeps a damaged tree from recursing forever.
constexpr int kMaxDepth = 32;

// The object answering for wanted inside menu's tree: the innermost attached object on
// the way from menu down to wanted; null when wanted is not in the tree.
CMenu* OwnerOfMenu(HMENU menu, HMENU wanted, CMenu* enclosing, int depth) {
  if (!menu || depth > kMaxDepth) return nullptr;
  if (CMenu* own = CMenu::FromHandlePermanent(menu)) enclosing = own;
  if (menu == wanted) return enclosing;
  int count = ::GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    CMenu* found = OwnerOfMenu(::GetSubMenu(menu, position), wanted, enclosing, depth + 1);
    if (found) return found;
  }
  return nullptr;
}

// The same for the owner-drawn item that a measure request describes.
CMenu* OwnerOfItem(HMENU menu, const MEASUREITEMSTRUCT& request, CMenu* enclosing, int depth) {
  if (!menu || depth > kMaxDepth) return nullptr;
  if (CMenu* own = CMenu::FromHandlePermanent(menu)) enclosing = own;
  int count = ::GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
    if (!::GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) continue;
    bool sameId = info.wID == request.itemID ||
                  static_cast<UINT>(reinterpret_cast<UINT_PTR>(info.hSubMenu)) == request.itemID;
    if ((info.fType & MFT_OWNERDRAW) && info.dwItemData == request.itemData && sameId)
      return enclosing;
    if (CMenu* found = OwnerOfItem(info.hSubMenu, request, enclosing, depth + 1)) return found;
  }
  return nullptr;
}

// Where to look for the menu of an owner-draw request, most likely first: the menu
// being tracked for this owner, the owner's menu bar, then every menu with an object.
template <typename Search>
CMenu* SearchMenus(HWND owner, Search search) {
  if (t_tracking.menu && t_tracking.owner == owner)
    if (CMenu* found = search(t_tracking.menu)) return found;
  if (owner && !(::GetWindowLongPtrW(owner, GWL_STYLE) & WS_CHILD))
    if (CMenu* found = search(::GetMenu(owner))) return found;
  for (const auto& entry : MenuMap::Entries())
    if (CMenu* found = search(entry.first)) return found;
  return nullptr;
}

}  // namespace

CMenu::~CMenu() { DestroyMenu(); }

CMenu* CMenu::FromHandlePermanent(HMENU menu) { return MenuMap::FromHandle(menu); }

BOOL CMenu::Attach(HMENU menu) { return MenuMap::Attach(this, m_hMenu, menu); }

HMENU CMenu::Detach() { return MenuMap::Detach(m_hMenu); }

BOOL CMenu::CreatePopupMenu() { return Create(&::CreatePopupMenu); }

BOOL CMenu::CreateMenu() { return Create(&::CreateMenu); }

BOOL CMenu::Create(HMENU(WINAPI* create)()) {
  if (m_hMenu) return FALSE;
  HMENU menu = create();
  if (menu && !Attach(menu)) {
    ::DestroyMenu(menu);
    return FALSE;
  }
  return menu != nullptr;
}

BOOL CMenu::DestroyMenu() {
  HMENU menu = Detach();
  return menu ? ::DestroyMenu(menu) : FALSE;
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, const wchar_t* text) {
  return ::AppendMenuW(m_hMenu, flags, id, text);
}

BOOL CMenu::AppendMenuUtf8(UINT flags, UINT_PTR id, const char* text) {
  std::wstring wide = Utf8ToWide(text ? text : "");
  return AppendMenu(flags, id, wide.c_str());
}

BOOL CMenu::InsertMenu(UINT item, UINT flags, UINT_PTR id, const wchar_t* text) {
  return ::InsertMenuW(m_hMenu, item, flags, id, text);
}

BOOL CMenu::ModifyMenu(UINT item, UINT flags, UINT_PTR id, const wchar_t* text) {
  return ::ModifyMenuW(m_hMenu, item, flags, id, text);
}

BOOL CMenu::ModifyMenuData(UINT item, UINT flags, UINT_PTR id, const void* data) {
  return ::ModifyMenuW(m_hMenu, item, flags, id, static_cast<const wchar_t*>(data));
}

std::wstring CMenu::GetMenuString(UINT item, UINT flags) const {
  int length = ::GetMenuStringW(m_hMenu, item, nullptr, 0, flags);
  if (length <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int copied = ::GetMenuStringW(m_hMenu, item, &text[0], length + 1, flags);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const RECT* rect) {
  HWND ownerWindow = owner ? owner->m_hWnd : nullptr;
  TrackingScope scope(ownerWindow, m_hMenu);
  return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, ownerWindow, rect);
}

void CMenu::DrawItem(const DRAWITEMSTRUCT*) {}

void CMenu::MeasureItem(MEASUREITEMSTRUCT*) {}

BOOL CMenu::SetItemText(HMENU menu, UINT position, const wchar_t* text) {
  MENUITEMINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_FTYPE;
  if (!::GetMenuItemInfoW(menu, position, TRUE, &info)) return FALSE;
  if (info.fType & (MFT_OWNERDRAW | MFT_BITMAP | MFT_SEPARATOR)) return FALSE;
  info.fMask = MIIM_STRING;
  info.dwTypeData = const_cast<wchar_t*>(text ? text : L"");
  return ::SetMenuItemInfoW(menu, position, TRUE, &info);
}

BOOL CMenu::DispatchOwnerDraw(HWND owner, UINT message, WPARAM, LPARAM lParam,
                              LRESULT* result) {
  if (message == WM_DRAWITEM) {
    auto* request = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (!request || request->CtlType != ODT_MENU) return FALSE;
    HMENU menu = reinterpret_cast<HMENU>(request->hwndItem);
    CMenu* target = FromHandlePermanent(menu);
    if (!target)
      target = SearchMenus(owner, [&](HMENU root) { return OwnerOfMenu(root, menu, nullptr, 0); });
    if (!target) return FALSE;
    target->DrawItem(request);
    *result = TRUE;
    return TRUE;
  }
  if (message == WM_MEASUREITEM) {
    auto* request = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (!request || request->CtlType != ODT_MENU) return FALSE;
    CMenu* target =
        SearchMenus(owner, [&](HMENU root) { return OwnerOfItem(root, *request, nullptr, 0); });
    if (!target) return FALSE;
    target->MeasureItem(request);
    *result = TRUE;
    return TRUE;
  }
  return FALSE;
}
