// Turns one path from the command line into the files a command works on.
#pragma once

#include <string>
#include <vector>

#include "arguments.h"
#include "command_plan.h"
#include "file_listing.h"

namespace qzcli {

struct Expansion {
  std::vector<std::string> files;
  // Set when the path itself cannot be used; the command counts it as a failure.
  std::string error;
  // Set for a folder with nothing to do.
  std::string note;
  // Folder entries left alone that the user should hear of: links, pipes, devices and
  // unfinished outputs ("PATH: why"), in byte order.
  std::vector<std::string> skipped;
};

// A file stands for itself; a folder for the files directly inside it that the
// command takes (wholeTree: in its sub-folders too), in byte order of their paths.
Expansion ExpandPath(Command command, const std::string& path, bool wholeTree = false);
// The operation a command runs.
qzops::FileCommand OperationOf(Command command);

}  // namespace qzcli
