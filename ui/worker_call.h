// One engine call on a worker thread while the window's thread keeps answering: the main
// window takes no input meanwhile, and closing it, Esc or Alt+F4 there ask for a cancel.
#pragma once

#include <exception>
#include <functional>

// Runs work on a worker and returns once it has ended, with what it threw (null when
// nothing). tick runs on this thread at least every 50 ms meanwhile.
std::exception_ptr RunOnWorker(const std::function<void()>& work, const std::function<void()>& tick);
