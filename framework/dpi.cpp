#include "dpi.h"

#include <cstddef>

namespace {

// Windows 10's per-dpi functions, looked up by name: the program also runs where they are
// missing.
template <typename Function>
Function User32Function(const char* name) {
  HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(user32, name))) : nullptr;
}

int ScreenDpi() {
  HDC screen = ::GetDC(nullptr);
  int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDefaultDpi;
}

}  // namespace

int DpiOfWindow(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpiForWindow && window) {
    if (UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
  }
  return ScreenDpi();
}

int SystemMetricForDpi(int index, int dpi) {
  using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
  static const auto forDpi = User32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
  const int screen = ScreenDpi();
  if (dpi == screen) return ::GetSystemMetrics(index);
  if (forDpi) return forDpi(index, static_cast<UINT>(dpi));
  return MulDiv(::GetSystemMetrics(index), dpi, screen);
}

LOGFONTW MenuFontForDpi(int dpi) {
  using ForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
  static const auto forDpi = User32Function<ForDpiFn>("SystemParametersInfoForDpi");
  // The size without the padded-border field is accepted by every system version. When
  // the call fails, the zeroed description still gives the system's default font.
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
  const int screen = ScreenDpi();
  if (dpi == screen) {
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
    return metrics.lfMenuFont;
  }
  if (forDpi) {
    metrics.cbSize = sizeof(metrics);
    if (forDpi(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0, static_cast<UINT>(dpi)))
      return metrics.lfMenuFont;
    metrics = {};
    metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
  }
  ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
  metrics.lfMenuFont.lfHeight = MulDiv(metrics.lfMenuFont.lfHeight, dpi, screen);
  metrics.lfMenuFont.lfWidth = MulDiv(metrics.lfMenuFont.lfWidth, dpi, screen);
  return metrics.lfMenuFont;
}
