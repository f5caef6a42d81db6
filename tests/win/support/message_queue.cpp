#include "support/message_queue.h"

namespace qz::wintest {

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void Sync(HWND window) { SendMessageW(window, WM_NULL, 0, 0); }

}  // namespace qz::wintest
