// Lets tests make one chosen file operation fail, to prove that every failure is
// named and that no file is lost or left half-written. Only the test build of the
// engine (qzengine_testable) has it.
#pragma once

namespace qz {

enum class FaultPoint {
  kOpenSource,
  kCreateTemp,
  kRead,
  kWrite,
  kFlush,
  kClose,
  kRename,
  kDelete,
  kDeleteAside,  // POSIX: the source moved aside and checked, just before it goes
  kMark,         // the output's hidden and read-only marking
  // The steps of the ".qz" key derivation, in both back ends.
  kAcquireContext,
  kCreateHash,
  kHashData,
  kDeriveKey,
  kCount,
};

#ifdef QZ_FAULT_INJECTION
// True when the current call at this point is the armed one. Engine code calls this
// right before the real operation.
bool InjectFault(FaultPoint point);

namespace testing {
// Fails calls nth to nth + count - 1 (1-based) at the point from now on; 0 disarms it.
void ArmFault(FaultPoint point, int nth, int count = 1);
void DisarmAllFaults();
}  // namespace testing
#else
// The shipped engine: nothing to inject, and the compiler drops every check.
constexpr bool InjectFault(FaultPoint) { return false; }
#endif

}  // namespace qz
