#include "fs/fault_injection.h"

namespace qz {

namespace {
struct Arm {
  int nth = 0;
  int count = 0;
  int seen = 0;
};
Arm g_arms[static_cast<int>(FaultPoint::kCount)];
}  // namespace

bool InjectFault(FaultPoint point) {
  Arm& arm = g_arms[static_cast<int>(point)];
  if (arm.nth == 0) return false;
  ++arm.seen;
  return arm.seen >= arm.nth && arm.seen < arm.nth + arm.count;
}

namespace testing {

void ArmFault(FaultPoint point, int nth, int count) {
  g_arms[static_cast<int>(point)] = Arm{nth, count, 0};
}

void DisarmAllFaults() {
  for (Arm& arm : g_arms) arm = Arm{};
}

}  // namespace testing

}  // namespace qz
