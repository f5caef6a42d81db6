// Shared by the menu tests: a memory canvas whose pixels can be read back, owner-draw
// requests as the system builds them, and a dialog that owns tracked menus.
#pragma once

#include <windows.h>

#include <vector>

#include "dialog.h"

namespace menutest {

constexpr UINT IDD_MENU_OWNER = 2000;
constexpr UINT ID_ENCRYPT = 1013;
constexpr UINT ID_DECRYPT = 1012;

// A 32-bit bitmap selected into a memory device context, first filled with one colour.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }
  int width() const { return width_; }
  int height() const { return height_; }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
  // Pixels in rect of exactly colour.
  int Count(COLORREF colour, RECT rect) const;
  int Count(COLORREF colour) const { return Count(colour, {0, 0, width_, height_}); }
  // Columns of rect holding a pixel other than background; -1 when none does.
  int LeftmostOther(COLORREF background, RECT rect) const;
  int RightmostOther(COLORREF background, RECT rect) const;

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
  int width_, height_;
};

DRAWITEMSTRUCT DrawRequest(const Canvas& canvas, ULONG_PTR data, UINT state, RECT rect);
MEASUREITEMSTRUCT MeasureRequest(UINT id, ULONG_PTR data);

// The item data of position in menu: what the system hands back in owner-draw requests.
ULONG_PTR DataOf(HMENU menu, UINT position);
UINT TypeOf(HMENU menu, UINT position);

// The system's menu font, as the menu takes it, normal or bold.
HFONT CreateMenuFont(bool bold);
SIZE TextSize(HFONT font, const wchar_t* text);

// A modeless dialog that records the commands it handles.
class OwnerDialog : public CDialog {
 public:
  OwnerDialog() : CDialog(IDD_MENU_OWNER) {}
  std::vector<UINT> commands;

 protected:
  void OnEncrypt() { commands.push_back(ID_ENCRYPT); }
  void OnDecrypt() { commands.push_back(ID_DECRYPT); }
  DECLARE_MESSAGE_MAP()
};

}  // namespace menutest
