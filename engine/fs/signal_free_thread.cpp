#include "fs/signal_free_thread.h"

#include <utility>

#ifndef _WIN32
#include <pthread.h>
#include <signal.h>
#endif

namespace qz {

std::thread SignalFreeThread(std::function<void()> work) {
#ifdef _WIN32
  return std::thread(std::move(work));
#else
  // A new thread starts with its creator's mask: blocked from its first instruction.
  sigset_t all, previous;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &previous);
  struct Restore {
    const sigset_t& mask;
    ~Restore() { pthread_sigmask(SIG_SETMASK, &mask, nullptr); }
  } restore{previous};
  return std::thread(std::move(work));
#endif
}

}  // namespace qz
