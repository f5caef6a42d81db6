#include "support/wait.h"

#include <windows.h>

namespace qz::wintest {

bool WaitUntil(const std::function<bool()>& done, Millis timeout, Millis step) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    ::Sleep(static_cast<DWORD>(step.count()));
  }
}

}  // namespace qz::wintest
