// Waiting for a state with a deadline instead of sleeping for a fixed time: what a test
// waits for happens on another thread or in another process.
#pragma once

#include <chrono>
#include <functional>

namespace qz::wintest {

using Millis = std::chrono::milliseconds;

// Calls done every step until it holds or timeout has passed; returns whether it held.
bool WaitUntil(const std::function<bool()>& done, Millis timeout, Millis step = Millis(10));

}  // namespace qz::wintest
