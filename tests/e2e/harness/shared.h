// The Wine tests' support library (tests/win/support: waiting, windows, texts, files),
// under the harness's namespace.
#pragma once

#include "support/files.h"
#include "support/text.h"
#include "support/wait.h"
#include "support/window_query.h"

namespace qz::e2e {
using namespace qz::wintest;
}  // namespace qz::e2e
