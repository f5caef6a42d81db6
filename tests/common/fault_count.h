// Counting the file operations a call attempts, without a clock: each attempt passes its
// fault point once. For tests linked with the test build of the engine.
#pragma once

#include <functional>

#include "fs/fault_injection.h"

namespace qz::testsupport {

// How many times run() passes point. Armed this far ahead, the point counts its calls
// and fails none of them; the calls it takes to fire afterwards tell how many were made.
inline int PassesOf(FaultPoint point, const std::function<void()>& run) {
  constexpr int kFar = 1 << 20;
  testing::ArmFault(point, kFar);
  run();
  int calls = 1;
  while (!InjectFault(point) && calls < kFar) ++calls;
  testing::ArmFault(point, 0);
  return kFar - calls;
}

}  // namespace qz::testsupport
