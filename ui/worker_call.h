// One engine call on a worker thread while the window's thread keeps answering: the main
// window takes no input meanwhile, and closing it, Esc or Alt+F4 there ask for a cancel.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>

#include "steps/cancel_token.h"

// Runs work on a worker and returns once it has ended, with what it threw (null when
// nothing). tick runs on this thread at least every 50 ms meanwhile. owner is the main
// window (null: none is held back); closing it, Esc there, and the program's end request
// cancel.
std::exception_ptr RunOnWorker(HWND owner, qz::CancelToken& cancel, const std::function<void()>& work,
                               const std::function<void()>& tick);
