// The password of the strong (".age") files a run writes, where it is not the one typed
// for the run: read from --new-password-file, or made by --generate-password; and the
// warning for one that is easy to guess.
#pragma once

#include <string>

#include "crypto/secret.h"

namespace qzcli {

// The first line of path as UTF-8, by the rules of --password-file. False with a message
// for a file that cannot be read or gives an empty password or the built-in default.
bool ReadNewPasswordFile(const std::string& path, qz::Secret* utf8, std::string* error);

// A passphrase of words from the EFF long list, told once on standard error.
qz::Secret GeneratedPassword();

// One line on standard error (never hidden by --quiet) when a strong file's password
// would be found soon by an attacker who tries the likeliest passwords first.
void WarnIfEasyToGuess(const qz::Secret& utf8, int workFactor);

}  // namespace qzcli
