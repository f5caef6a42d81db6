// A password for a test: the engine takes passwords only as secrets.
#pragma once

#include <string_view>

#include "crypto/secret.h"

inline qz::Secret Pw(std::string_view text) { return qz::Secret(text.data(), text.size()); }
