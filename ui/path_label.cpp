#include "path_label.h"

#include "text_conversion.h"

std::wstring PathLabelText(HWND label, const std::string& dir) {
  const std::wstring intro = Utf8ToWide("当前路径："), path = Utf8ToWide(dir);
  RECT box = {};
  GetClientRect(label, &box);
  HDC dc = GetDC(label);
  if (!dc) return intro + path;
  const HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0));
  const HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  auto fits = [&](const std::wstring& text) {
    SIZE size = {};
    return GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size) && size.cx <= box.right;
  };
  std::wstring text = intro + path;
  const size_t last = path.size() > 1 ? path.find_last_of(L'\\', path.size() - 2) : std::wstring::npos;
  const size_t first = path.find(L'\\', path.find(L'\\') + 1);
  if (!fits(text) && last != std::wstring::npos && first != std::wstring::npos && first < last) {
    text = intro + path.substr(0, first + 1) + L"..." + path.substr(last);
    // A last folder too long even so: the label's style cuts its end.
    if (!fits(text)) text = intro + L"..." + path.substr(last);
  }
  if (old) SelectObject(dc, old);
  ReleaseDC(label, dc);
  return text;
}
