// Threads that never run the process's signal handlers. A handler that ends the process
// must run on the thread that holds signals back around its file steps (creating an
// output and recording it, moving a source aside): on any other thread it could end the
// process in the middle of them and leave a file behind.
#pragma once

#include <functional>
#include <thread>

namespace qz {

// A thread running work with every signal blocked; a plain thread where there are none.
// Throws std::system_error as std::thread does.
std::thread SignalFreeThread(std::function<void()> work);

}  // namespace qz
