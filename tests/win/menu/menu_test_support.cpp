#include "menu_test_support.h"

#include <gtest/gtest.h>

#include <cstddef>

#include "app.h"

namespace menutest {

Canvas::Canvas(int width, int height, COLORREF fill) : width_(width), height_(height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  dc_ = CreateCompatibleDC(nullptr);
  bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  old_ = SelectObject(dc_, bitmap_);
  HBRUSH brush = CreateSolidBrush(fill);
  RECT all = {0, 0, width, height};
  FillRect(dc_, &all, brush);
  DeleteObject(brush);
}

Canvas::~Canvas() {
  SelectObject(dc_, old_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

int Canvas::Count(COLORREF colour, RECT rect) const {
  int count = 0;
  for (int y = rect.top; y < rect.bottom; ++y)
    for (int x = rect.left; x < rect.right; ++x) count += At(x, y) == colour;
  return count;
}

int Canvas::LeftmostOther(COLORREF background, RECT rect) const {
  for (int x = rect.left; x < rect.right; ++x)
    for (int y = rect.top; y < rect.bottom; ++y)
      if (At(x, y) != background) return x;
  return -1;
}

int Canvas::RightmostOther(COLORREF background, RECT rect) const {
  for (int x = rect.right - 1; x >= rect.left; --x)
    for (int y = rect.top; y < rect.bottom; ++y)
      if (At(x, y) != background) return x;
  return -1;
}

DRAWITEMSTRUCT DrawRequest(const Canvas& canvas, ULONG_PTR data, UINT state, RECT rect) {
  DRAWITEMSTRUCT request = {};
  request.CtlType = ODT_MENU;
  request.itemAction = ODA_DRAWENTIRE;
  request.itemState = state;
  request.hDC = canvas.dc();
  request.rcItem = rect;
  request.itemData = data;
  return request;
}

MEASUREITEMSTRUCT MeasureRequest(UINT id, ULONG_PTR data) {
  MEASUREITEMSTRUCT request = {};
  request.CtlType = ODT_MENU;
  request.itemID = id;
  request.itemData = data;
  return request;
}

namespace {
MENUITEMINFOW InfoOf(HMENU menu, UINT position) {
  MENUITEMINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_DATA | MIIM_FTYPE;
  EXPECT_TRUE(GetMenuItemInfoW(menu, position, TRUE, &info));
  return info;
}
}  // namespace

ULONG_PTR DataOf(HMENU menu, UINT position) { return InfoOf(menu, position).dwItemData; }
UINT TypeOf(HMENU menu, UINT position) { return InfoOf(menu, position).fType; }

HFONT CreateMenuFont(bool bold) {
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
  if (bold) metrics.lfMenuFont.lfWeight = FW_BOLD;
  return CreateFontIndirectW(&metrics.lfMenuFont);
}

SIZE TextSize(HFONT font, const wchar_t* text) {
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, font);
  SIZE size = {};
  GetTextExtentPoint32W(screen, text, lstrlenW(text), &size);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  return size;
}

BEGIN_MESSAGE_MAP(OwnerDialog, CDialog)
  ON_COMMAND(ID_ENCRYPT, &OwnerDialog::OnEncrypt)
  ON_COMMAND(ID_DECRYPT, &OwnerDialog::OnDecrypt)
END_MESSAGE_MAP()

}  // namespace menutest
