// Where the password comes from: a file, standard input or the terminal.
#pragma once

#include <cstdio>
#include <string>

#include "crypto/secret.h"

namespace qzcli {

enum class PasswordStatus { kOk, kError, kInterrupted };

// The first line of a file, without its line end ("\n" or "\r\n"; a lone "\r" at the
// end of the file too).
PasswordStatus ReadPasswordFile(const std::string& path, qz::Secret* password, std::string* error);
// The first line of a stream (standard input) that nothing has read from yet.
PasswordStatus ReadPasswordStream(std::FILE* stream, qz::Secret* password, std::string* error);
// Asks on the terminal without echo; with confirm, twice until both agree.
PasswordStatus PromptPassword(bool confirm, qz::Secret* password, std::string* error);

// From here on no core dump is written (it would hold the password). POSIX; Linux also
// marks the process not dumpable.
void KeepOutOfCoreDumps();

}  // namespace qzcli
