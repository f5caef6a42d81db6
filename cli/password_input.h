// Where the password comes from: a file, standard input or the terminal.
#pragma once

#include <cstdio>
#include <string>

namespace qzcli {

enum class PasswordStatus { kOk, kError, kInterrupted };

// The first line of a file, without its line end ("\n" or "\r\n"; a lone "\r" at the
// end of the file too).
PasswordStatus ReadPasswordFile(const std::string& path, std::string* password, std::string* error);
// The first line of a stream (standard input).
PasswordStatus ReadPasswordStream(std::FILE* stream, std::string* password, std::string* error);
// Asks on the terminal without echo; with confirm, twice until both agree.
PasswordStatus PromptPassword(bool confirm, std::string* password, std::string* error);

// From here on no core dump is written (it would hold the password). POSIX; Linux also
// marks the process not dumpable.
void KeepOutOfCoreDumps();

// Overwrites a password's bytes before the string lets them go.
void Wipe(std::string* text);

}  // namespace qzcli
