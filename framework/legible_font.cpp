#include "legible_font.h"

#include <cwchar>
#include <map>
#include <mutex>
#include <string>
#include <tuple>

namespace {

constexpr wchar_t kChineseSample[] = L"加密解密文件";

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

void MakeDialogLegible(HWND dialog) {
  HFONT current = reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0));
  LOGFONTW description = {};
  if (ShowsChinese(current) || !Describes(current, &description)) return;
  const LOGFONTW legible = LegibleFont(description);
  if (std::wcscmp(legible.lfFaceName, description.lfFaceName) == 0) return;

  // One font per size and weight for the whole process: dialogs come and go, the
  // handful of fonts stays.
  static std::mutex lock;
  static std::map<std::tuple<LONG, LONG, BYTE>, HFONT> fonts;
  HFONT font = nullptr;
  {
    std::lock_guard<std::mutex> guard(lock);
    HFONT& cached = fonts[{legible.lfHeight, legible.lfWeight, legible.lfItalic}];
    if (!cached) cached = ::CreateFontIndirectW(&legible);
    font = cached;
  }
  if (!font) return;
  ::SendMessageW(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  ::EnumChildWindows(
      dialog,
      [](HWND child, LPARAM newFont) -> BOOL {
        ::SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(newFont), TRUE);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(font));
}
