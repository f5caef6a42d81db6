// Ctrl-C and termination requests: a batch finishes the file in hand (its output is
// then complete or gone) and stops; a second request ends the process at once.
#pragma once

namespace qzcli {

void InstallInterruptHandlers();
bool Interrupted();
// Ends the process the way the signal would have, so callers see why it stopped.
[[noreturn]] void ExitForInterrupt();

}  // namespace qzcli
