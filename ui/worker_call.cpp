#include "worker_call.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "wnd.h"

namespace {

// The main window while an engine call runs: nothing there starts another command, and
// closing it (the close box, Alt+F4, a WM_CLOSE from outside) asks for a cancel instead.
constexpr UINT_PTR kBusySubclass = 0x517A;

// The subclass's data is the call's cancel token.
LRESULT CALLBACK WhileBusy(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  qz::CancelToken& cancel = *reinterpret_cast<qz::CancelToken*>(data);
  switch (message) {
    case WM_CLOSE: cancel.Request(); return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) != SC_CLOSE) break;
      cancel.Request();
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) cancel.Request();
      return 0;
    case WM_DROPFILES: DragFinish(reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_CONTEXTMENU: return 0;
    case WM_NOTIFY:
      switch (reinterpret_cast<const NMHDR*>(lParam)->code) {
        case NM_DBLCLK: case NM_RCLICK: case NM_RETURN: case LVN_KEYDOWN: case LVN_ITEMACTIVATE: return 0;
        default: break;
      }
      break;
    default: break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

// Input meant for the main window or its controls is dropped while it is busy; Esc and
// Alt+F4 there ask for a cancel, as they would in the progress window.
bool HeldBack(HWND main, const MSG& msg, qz::CancelToken& cancel) {
  const bool input = (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) ||
                     (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) ||
                     (msg.message >= WM_NCMOUSEMOVE && msg.message <= WM_NCMBUTTONDBLCLK);
  if (!input || !msg.hwnd || (msg.hwnd != main && !IsChild(main, msg.hwnd))) return false;
  if ((msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) &&
      (msg.wParam == VK_ESCAPE || (msg.message == WM_SYSKEYDOWN && msg.wParam == VK_F4)))
    cancel.Request();
  return true;
}

struct WorkerCall {
  const std::function<void()>* work;
  std::exception_ptr error;
};

DWORD WINAPI RunWork(void* parameter) {
  auto* call = static_cast<WorkerCall*>(parameter);
  try {
    (*call->work)();
  } catch (...) {
    call->error = std::current_exception();
  }
  return 0;
}

}  // namespace

std::exception_ptr RunOnWorker(HWND owner, qz::CancelToken& cancel, const std::function<void()>& work,
                               const std::function<void()>& tick) {
  WorkerCall call{&work, nullptr};
  HANDLE worker = CreateThread(nullptr, 0, &RunWork, &call, 0, nullptr);
  if (!worker) {
    RunWork(&call);  // no thread to be had: the window waits, the work still gets done
    return call.error;
  }
  HWND main = owner;
  const bool hold = main && IsWindowEnabled(main);
  if (hold) {
    EnableWindow(main, FALSE);
    SetWindowSubclass(main, &WhileBusy, kBusySubclass, reinterpret_cast<DWORD_PTR>(&cancel));
  }
  bool quit = false;
  WPARAM quitCode = 0;
  for (;;) {
    tick();
    // Woken by the worker's end, by any message, and by the clock for the texts.
    if (MsgWaitForMultipleObjectsEx(1, &worker, 50, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0) break;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // The program is asked to end: stop the file in hand, and end once it has.
        quit = true;
        quitCode = msg.wParam;
        cancel.Request();
        continue;
      }
      if (hold && HeldBack(main, msg, cancel)) continue;
      if (!CWnd::WalkPreTranslateTree(&msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
  }
  CloseHandle(worker);
  if (hold) {
    RemoveWindowSubclass(main, &WhileBusy, kBusySubclass);
    EnableWindow(main, TRUE);
  }
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
  return call.error;
}
