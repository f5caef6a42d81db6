#include "interrupt.h"

#include <csignal>
#include <cstdlib>

#include "fs/file_streams.h"

namespace qzcli {

namespace {

volatile std::sig_atomic_t g_signal = 0;

[[noreturn]] void DieBy(int sig) {
#ifndef _WIN32
  std::signal(sig, SIG_DFL);
  std::raise(sig);
#endif
  std::_Exit(128 + sig);
}

extern "C" void OnInterrupt(int sig) {
  if (g_signal != 0) {
    // The user insists: no time to finish the block in hand, but no plaintext may stay.
    qz::RemoveUnfinishedOutputNow();
#ifndef _WIN32
    // Blocked while its handler runs: delivered, with the default action, on return.
    std::signal(sig, SIG_DFL);
    std::raise(sig);
    return;
#else
    std::_Exit(128 + sig);
#endif
  }
  g_signal = sig;
#ifdef _WIN32
  // The Windows runtime resets the handler before calling it.
  std::signal(sig, OnInterrupt);
#endif
}

}  // namespace

void InstallInterruptHandlers() {
#ifndef _WIN32
  // No SA_RESTART: a read that waits for a password on standard input ends with EINTR,
  // so the first Ctrl-C stops it too. The engine's own reads and writes retry EINTR.
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // SIGQUIT would dump the password with the core; SIGXFSZ (a file size limit met) would
  // leave the unfinished output behind.
  for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXFSZ}) sigaction(sig, &action, nullptr);
#else
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
#endif
}

bool Interrupted() { return g_signal != 0; }

void ExitForInterrupt() { DieBy(g_signal != 0 ? static_cast<int>(g_signal) : SIGINT); }

}  // namespace qzcli
