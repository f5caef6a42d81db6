// Polling with a deadline: the program under test runs in another process, so the
// tests wait for states instead of sleeping for fixed times.
#pragma once

#include <windows.h>

#include <chrono>

namespace qz::e2e {

using Millis = std::chrono::milliseconds;

// Calls `done` every `step` until it returns true or `timeout` has passed; returns
// whether it became true.
template <typename Predicate>
bool WaitUntil(Predicate done, Millis timeout, Millis step = Millis(25)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    Sleep(static_cast<DWORD>(step.count()));
  }
}

}  // namespace qz::e2e
