#include "legible_font.h"

#include <algorithm>
#include <cwchar>
#include <map>
#include <mutex>
#include <string>
#include <tuple>

namespace {

constexpr wchar_t kChineseSample[] = L"加密解密文件";
constexpr wchar_t kLegibleFontProperty[] = L"LockmereLegibleFont";

std::wstring FirstChineseFace() {
  static std::once_flag once;
  static std::wstring face;
  std::call_once(once, [] {
    HDC dc = ::CreateCompatibleDC(nullptr);
    if (!dc) return;
    LOGFONTW wanted = {};
    wanted.lfCharSet = GB2312_CHARSET;
    ::EnumFontFamiliesExW(
        dc, &wanted,
        [](const LOGFONTW* found, const TEXTMETRICW*, DWORD, LPARAM out) -> int {
          // "@" faces are the vertical forms.
          if (found->lfFaceName[0] == L'@') return 1;
          *reinterpret_cast<std::wstring*>(out) = found->lfFaceName;
          return 0;
        },
        reinterpret_cast<LPARAM>(&face), 0);
    ::DeleteDC(dc);
  });
  return face;
}

bool Describes(HFONT font, LOGFONTW* description) {
  return font && ::GetObjectW(font, sizeof(*description), description) == sizeof(*description);
}

}  // namespace

bool ShowsChinese(HFONT font) {
  HDC dc = ::CreateCompatibleDC(nullptr);
  if (!dc) return true;  // nothing to judge by: leave the font alone
  HGDIOBJ old = ::SelectObject(dc, font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
  constexpr int kLength = static_cast<int>(sizeof(kChineseSample) / sizeof(wchar_t)) - 1;
  WORD glyphs[kLength] = {};
  bool shows = ::GetGlyphIndicesW(dc, kChineseSample, kLength, glyphs, GGI_MARK_NONEXISTING_GLYPHS) ==
               static_cast<DWORD>(kLength);
  for (WORD glyph : glyphs) shows = shows && glyph != 0xFFFF;
  ::SelectObject(dc, old);
  ::DeleteDC(dc);
  return shows;
}

LOGFONTW LegibleFont(const LOGFONTW& font) {
  HFONT probe = ::CreateFontIndirectW(&font);
  const bool shows = ShowsChinese(probe);
  if (probe) ::DeleteObject(probe);
  const std::wstring face = shows ? std::wstring() : FirstChineseFace();
  if (face.empty()) return font;
  LOGFONTW legible = font;
  legible.lfCharSet = GB2312_CHARSET;
  std::wcsncpy(legible.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  legible.lfFaceName[LF_FACESIZE - 1] = L'\0';
  return legible;
}

namespace {

// The font that replaces current, or null when current shows Chinese or no face can.
HFONT LegibleReplacement(HFONT current) {
  LOGFONTW description = {};
  if (ShowsChinese(current) || !Describes(current, &description)) return nullptr;
  const LOGFONTW legible = LegibleFont(description);
  if (std::wcscmp(legible.lfFaceName, description.lfFaceName) == 0) return nullptr;

  // One font per size and weight for the whole process: dialogs come and go, the
  // handful of fonts stays.
  static std::mutex lock;
  static std::map<std::tuple<LONG, LONG, BYTE>, HFONT> fonts;
  std::lock_guard<std::mutex> guard(lock);
  HFONT& cached = fonts[{legible.lfHeight, legible.lfWeight, legible.lfItalic}];
  if (!cached) cached = ::CreateFontIndirectW(&legible);
  return cached;
}

void SetFontOfChildren(HWND parent, HFONT font) {
  ::EnumChildWindows(
      parent,
      [](HWND child, LPARAM newFont) -> BOOL {
        ::SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(newFont), TRUE);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(font));
}

RECT ChildRect(HWND parent, HWND child) {
  RECT rect;
  ::GetWindowRect(child, &rect);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace

void MakeDialogLegible(HWND dialog) {
  HFONT font = LegibleReplacement(reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0)));
  if (!font) return;
  ::SendMessageW(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  ::SetPropW(dialog, kLegibleFontProperty, font);
  SetFontOfChildren(dialog, font);
}

HFONT LegibleFontOf(HWND dialog) { return static_cast<HFONT>(::GetPropW(dialog, kLegibleFontProperty)); }

void ForgetLegibleFont(HWND dialog) { ::RemovePropW(dialog, kLegibleFontProperty); }

void MakeMessageBoxLegible(HWND box) {
  // The message's static control has the id 0xFFFF.
  HWND message = ::GetDlgItem(box, 0xFFFF);
  if (!message) return;
  HFONT font = LegibleReplacement(reinterpret_cast<HFONT>(::SendMessageW(message, WM_GETFONT, 0, 0)));
  if (!font) return;
  SetFontOfChildren(box, font);

  // The text's size in the new font, wrapped no narrower than the system did.
  const RECT old = ChildRect(box, message);
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(message)) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(message, &text[0], static_cast<int>(text.size()))));
  HDC dc = ::GetDC(message);
  HGDIOBJ previous = ::SelectObject(dc, font);
  RECT needed = {0, 0, (std::max)(old.right - old.left, static_cast<LONG>(::GetSystemMetrics(SM_CXSCREEN) / 2)), 0};
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
  ::SelectObject(dc, previous);
  ::ReleaseDC(message, dc);
  const int dx = static_cast<int>((std::max)(0L, needed.right - (old.right - old.left)));
  const int dy = static_cast<int>((std::max)(0L, needed.bottom - (old.bottom - old.top)));
  if (dx == 0 && dy == 0) return;

  ::SetWindowPos(message, nullptr, 0, 0, old.right - old.left + dx, old.bottom - old.top + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // The buttons sit below the text, centred: down by the new lines, right by half the
  // new width.
  for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    wchar_t className[16] = {};
    ::GetClassNameW(child, className, 16);
    if (lstrcmpiW(className, L"Button") != 0) continue;
    const RECT button = ChildRect(box, child);
    ::SetWindowPos(child, nullptr, button.left + dx / 2, button.top + dy, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  RECT frame;
  ::GetWindowRect(box, &frame);
  ::SetWindowPos(box, nullptr, frame.left - dx / 2, frame.top - dy / 2, frame.right - frame.left + dx,
                 frame.bottom - frame.top + dy, SWP_NOZORDER | SWP_NOACTIVATE);
}
