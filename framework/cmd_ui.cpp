#include "cmd_ui.h"

#include <string>

#include "menu.h"
#include "text_conversion.h"
#include "wnd.h"

void CCmdUI::Enable(BOOL on) {
  if (m_hMenu)
    ::EnableMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (on ? MF_ENABLED : MF_DISABLED | MF_GRAYED));
  m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int check) {
  if (m_hMenu) ::CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
}

void CCmdUI::SetText(const wchar_t* text) {
  if (!m_hMenu) return;
  // The object drawing an owner-drawn item keeps its text; plain items take it directly.
  if (m_pMenu) m_pMenu->SetItemText(m_hMenu, m_nIndex, text);
  else {
    CMenu plain;
    plain.SetItemText(m_hMenu, m_nIndex, text);
  }
}

void CCmdUI::SetTextUtf8(const char* text) {
  std::wstring wide = Utf8ToWide(text ? text : "");
  SetText(wide.c_str());
}

BOOL CCmdUI::DoUpdate(CWnd* target, BOOL disableIfNoHandler) {
  m_bEnableChanged = FALSE;
  if (!target) return FALSE;
  LRESULT result = 0;
  BOOL handled = target->DispatchToMap(WM_COMMAND, CN_UPDATE_COMMAND_UI, m_nID, 0,
                                       reinterpret_cast<LPARAM>(this), &result);
  if (disableIfNoHandler && !m_bEnableChanged) Enable(AfxHasCommandHandler(target, m_nID));
  return handled;
}

BOOL AfxHasCommandHandler(CWnd* target, UINT id) {
  if (!target) return FALSE;
  for (const MessageMap* map = target->GetMessageMap(); map; map = map->base ? map->base() : nullptr)
    for (const MessageMapEntry* entry = map->entries; entry->handler; ++entry)
      if (entry->message == WM_COMMAND && entry->code == 0 && entry->id == id) return TRUE;
  return FALSE;
}
