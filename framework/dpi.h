// The display scale a window is drawn at. Figures the program draws or places itself are
// written for 96 dpi and scaled to the window's own dpi, so that they stay where they were
// at 100% and grow with the monitor at 150% or 200%.
#pragma once

#include <windows.h>

constexpr int kDefaultDpi = 96;

// The window's dpi (its monitor's, for a per-monitor aware program); where the system
// cannot say (before Windows 10), the screen's.
int DpiOfWindow(HWND window);
// A figure at 96 dpi at dpi, rounded to the nearest pixel.
inline int ScaleToDpi(int value, int dpi) { return MulDiv(value, dpi, kDefaultDpi); }
// The system metric at dpi; GetSystemMetrics scaled where the system has no per-dpi form.
int SystemMetricForDpi(int index, int dpi);
// The system's menu font at dpi.
LOGFONTW MenuFontForDpi(int dpi);
