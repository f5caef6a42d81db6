#include "interrupt.h"

#include <csignal>
#include <cstdlib>

namespace qzcli {

namespace {

volatile std::sig_atomic_t g_signal = 0;

extern "C" void OnInterrupt(int sig) {
  if (g_signal != 0) {
    std::signal(sig, SIG_DFL);
    std::raise(sig);
    return;
  }
  g_signal = sig;
#ifdef _WIN32
  // The Windows runtime resets the handler before calling it.
  std::signal(sig, OnInterrupt);
#endif
}

}  // namespace

void InstallInterruptHandlers() {
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
#ifdef SIGHUP
  std::signal(SIGHUP, OnInterrupt);
#endif
}

bool Interrupted() { return g_signal != 0; }

void ExitForInterrupt() {
  const int sig = g_signal != 0 ? static_cast<int>(g_signal) : SIGINT;
  std::signal(sig, SIG_DFL);
  std::raise(sig);
  std::_Exit(128 + sig);
}

}  // namespace qzcli
