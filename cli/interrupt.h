// Ctrl-C, SIGTERM, SIGHUP, SIGQUIT and SIGXFSZ: the file in hand stops between two blocks (its
// temporary output is removed, its source kept) and qzcrypt ends by the signal; a
// second request removes the temporary output and ends the process at once.
#pragma once

namespace qzcli {

void InstallInterruptHandlers();
bool Interrupted();
// Ends the process the way the signal would have (POSIX: by the signal itself, so the
// shell sees 128 + its number; Windows: with that status).
[[noreturn]] void ExitForInterrupt();

}  // namespace qzcli
