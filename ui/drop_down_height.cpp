#include "drop_down_height.h"

#include "dpi.h"

void FitDropDownHeight(CComboBox& combo, int itemCount, int dpi) {
  RECT client;
  combo.GetClientRect(&client);
  int height = combo.GetItemHeight(-1) + itemCount * combo.GetItemHeight(0) + 4 * SystemMetricForDpi(SM_CYEDGE, dpi);
  combo.SetWindowPos(nullptr, 0, 0, client.right - client.left, height, SWP_NOMOVE | SWP_NOZORDER);
  // Wine's extended combo box keeps the height of its inner combo box, whose height is
  // the one that sets the drop-down's; size that one too (0 for a plain combo box).
  wchar_t className[32] = {};
  GetClassNameW(combo.m_hWnd, className, 32);
  HWND inner = lstrcmpiW(className, WC_COMBOBOXEXW) == 0
                   ? reinterpret_cast<HWND>(combo.SendMessage(CBEM_GETCOMBOCONTROL))
                   : nullptr;
  if (inner) {
    RECT innerRect;
    ::GetWindowRect(inner, &innerRect);
    ::SetWindowPos(inner, nullptr, 0, 0, innerRect.right - innerRect.left, height,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}
