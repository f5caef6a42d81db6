// Ctrl-C, SIGTERM, SIGHUP, SIGQUIT and SIGXFSZ: the file in hand stops between two blocks (its
// temporary output is removed, its source kept) and qzcrypt ends by the signal; a
// second request removes the temporary output and ends the process at once.
#pragma once

#include "steps/cancel_token.h"

namespace qzcli {

void InstallInterruptHandlers();
bool Interrupted();
// Requested by the first interrupt: the engine stops the file in hand on it.
const qz::CancelToken& InterruptRequest();
// Ends the process the way the signal would have (POSIX: by the signal itself, so the
// shell sees 128 + its number; Windows: with that status).
[[noreturn]] void ExitForInterrupt();

}  // namespace qzcli
