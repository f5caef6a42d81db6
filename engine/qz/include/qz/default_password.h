// The password a ".qz" file is encrypted with when the user gives none.
#pragma once

#include "crypto/secret.h"

namespace qz {

inline constexpr char kDefaultPassword[] = "QX31742#MVB";

// The default as a password to use.
inline Secret DefaultPassword() { return Secret(kDefaultPassword, sizeof kDefaultPassword - 1); }

inline bool IsDefaultPassword(const Secret& password) { return password.view() == kDefaultPassword; }

}  // namespace qz
