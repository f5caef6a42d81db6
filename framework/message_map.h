// Declarative message maps: each class lists the messages, notifications and commands
// it handles, each with one member handler; lookups walk from the most derived class to
// CWnd. A control can answer a notification it caused itself (message reflection).
#pragma once

#include <windows.h>

class CWnd;

// Messages that a parent passes back to the control that sent them.
constexpr UINT WM_REFLECT_BASE = 0xBC00;

struct MessageMapEntry {
  UINT message;  // WM_xxx; WM_COMMAND and WM_NOTIFY entries also match code and id
  UINT code;
  UINT id;
  // Returns true when the message was handled; *result is then its result.
  bool (*handler)(CWnd* target, WPARAM wParam, LPARAM lParam, LRESULT* result);
};

struct MessageMap {
  const MessageMap* (*base)();
  const MessageMapEntry* entries;  // ends with an entry whose handler is null
};

#define DECLARE_MESSAGE_MAP()                   \
 protected:                                     \
  static const MessageMap* GetThisMessageMap(); \
  const MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                      \
  const MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const MessageMap* theClass::GetThisMessageMap() {                                 \
    using ThisClass [[maybe_unused]] = theClass;                                    \
    using TheBaseClass = baseClass;                                                 \
    static const MessageMapEntry entries[] = {
#define END_MESSAGE_MAP()                                                   \
  {0, 0, 0, nullptr}};                                                      \
  static const MessageMap map = {&TheBaseClass::GetThisMessageMap, entries}; \
  return &map;                                                              \
  }

#define QZ_MAP_HANDLER(body) [](CWnd * self, WPARAM wParam, LPARAM lParam, LRESULT * result) { \
    (void)self; (void)wParam; (void)lParam; (void)result; body }

// Commands from menus and buttons: void handler().
#define ON_COMMAND(id, memberFxn) \
  {WM_COMMAND, 0, static_cast<UINT>(id), QZ_MAP_HANDLER((static_cast<ThisClass*>(self)->*(memberFxn))(); return true;)},
#define ON_CONTROL(code, id, memberFxn) \
  {WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id), QZ_MAP_HANDLER((static_cast<ThisClass*>(self)->*(memberFxn))(); return true;)},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)

// Notifications: void handler(NMHDR*, LRESULT*).
#define ON_NOTIFY(code, id, memberFxn)                                                   \
  {WM_NOTIFY, static_cast<UINT>(code), static_cast<UINT>(id), QZ_MAP_HANDLER(            \
      (static_cast<ThisClass*>(self)->*(memberFxn))(reinterpret_cast<NMHDR*>(lParam), result); \
      return true;)},

// Any message: LRESULT handler(WPARAM, LPARAM).
#define ON_MESSAGE(message, memberFxn) \
  {static_cast<UINT>(message), 0, 0, QZ_MAP_HANDLER(*result = (static_cast<ThisClass*>(self)->*(memberFxn))(wParam, lParam); return true;)},

#define ON_WM_DESTROY() \
  {WM_DESTROY, 0, 0, QZ_MAP_HANDLER(static_cast<ThisClass*>(self)->OnDestroy(); return true;)},

// Reflected to the control itself: a notification it sent (void handler()) and its own
// colour request (HBRUSH CtlColor(HDC, UINT nCtlColor); a null brush means "not handled").
#define ON_CONTROL_REFLECT(code, memberFxn) \
  {WM_REFLECT_BASE + WM_COMMAND, static_cast<UINT>(code), 0, QZ_MAP_HANDLER((static_cast<ThisClass*>(self)->*(memberFxn))(); return true;)},
#define ON_NOTIFY_REFLECT(code, memberFxn)                                               \
  {WM_REFLECT_BASE + WM_NOTIFY, static_cast<UINT>(code), 0, QZ_MAP_HANDLER(              \
      (static_cast<ThisClass*>(self)->*(memberFxn))(reinterpret_cast<NMHDR*>(lParam), result); \
      return true;)},
#define ON_WM_CTLCOLOR_REFLECT()                                                          \
  {WM_REFLECT_BASE + WM_CTLCOLORSTATIC, 0, 0, QZ_MAP_HANDLER(                             \
      HBRUSH brush = static_cast<ThisClass*>(self)->CtlColor(reinterpret_cast<HDC>(wParam), \
                                                             static_cast<UINT>(lParam));   \
      *result = reinterpret_cast<LRESULT>(brush); return brush != nullptr;)},

// Mouse, keyboard and focus messages, with the handler signatures MFC programmers know;
// a handler that wants the default handling as well calls Default().
#define QZ_POINT_OF(lParam) POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}
#define ON_WM_SETCURSOR()                                                                   \
  {WM_SETCURSOR, 0, 0, QZ_MAP_HANDLER(*result = static_cast<ThisClass*>(self)->OnSetCursor( \
      reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam)); return true;)},
#define ON_WM_MOUSEMOVE() \
  {WM_MOUSEMOVE, 0, 0, QZ_MAP_HANDLER(static_cast<ThisClass*>(self)->OnMouseMove(static_cast<UINT>(wParam), QZ_POINT_OF(lParam)); return true;)},
#define ON_WM_LBUTTONDOWN() \
  {WM_LBUTTONDOWN, 0, 0, QZ_MAP_HANDLER(static_cast<ThisClass*>(self)->OnLButtonDown(static_cast<UINT>(wParam), QZ_POINT_OF(lParam)); return true;)},
#define ON_WM_LBUTTONUP() \
  {WM_LBUTTONUP, 0, 0, QZ_MAP_HANDLER(static_cast<ThisClass*>(self)->OnLButtonUp(static_cast<UINT>(wParam), QZ_POINT_OF(lParam)); return true;)},
#define ON_WM_SETFOCUS() \
  {WM_SETFOCUS, 0, 0, QZ_MAP_HANDLER(static_cast<ThisClass*>(self)->OnSetFocus(reinterpret_cast<HWND>(wParam)); return true;)},
#define ON_WM_KILLFOCUS() \
  {WM_KILLFOCUS, 0, 0, QZ_MAP_HANDLER(static_cast<ThisClass*>(self)->OnKillFocus(reinterpret_cast<HWND>(wParam)); return true;)},
#define ON_WM_KEYDOWN()                                                                     \
  {WM_KEYDOWN, 0, 0, QZ_MAP_HANDLER(static_cast<ThisClass*>(self)->OnKeyDown(               \
      static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)); return true;)},
// void OnContextMenu(HWND window, POINT screen): screen is (-1, -1) when the keyboard
// asked for the menu (Shift+F10, the Menu key).
#define ON_WM_CONTEXTMENU()                                                                 \
  {WM_CONTEXTMENU, 0, 0, QZ_MAP_HANDLER(static_cast<ThisClass*>(self)->OnContextMenu(      \
      reinterpret_cast<HWND>(wParam), QZ_POINT_OF(lParam)); return true;)},
// void OnDropFiles(HDROP drop); the handler releases the drop (DragFinish).
#define ON_WM_DROPFILES() \
  {WM_DROPFILES, 0, 0, QZ_MAP_HANDLER(static_cast<ThisClass*>(self)->OnDropFiles(reinterpret_cast<HDROP>(wParam)); return true;)},
#define ON_WM_NCHITTEST() \
  {WM_NCHITTEST, 0, 0, QZ_MAP_HANDLER(*result = static_cast<ThisClass*>(self)->OnNcHitTest(QZ_POINT_OF(lParam)); return true;)},

// The command-update step (cmd_ui.h): void handler(CCmdUI*). Real WM_COMMAND messages
// carry a 16-bit code, so they never reach these entries.
class CCmdUI;
constexpr UINT CN_UPDATE_COMMAND_UI = 0xFFFFFFFFu;
#define ON_UPDATE_COMMAND_UI(id, memberFxn)                                                 \
  {WM_COMMAND, CN_UPDATE_COMMAND_UI, static_cast<UINT>(id), QZ_MAP_HANDLER(                 \
      (static_cast<ThisClass*>(self)->*(memberFxn))(reinterpret_cast<CCmdUI*>(lParam)); return true;)},
