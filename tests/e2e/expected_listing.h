// What the program should show, from the system itself: the drive items.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace qz::e2e {

// "(C:)" and so on, one per drive in the order the system reports them.
std::vector<std::string> ExpectedDriveItems();

}  // namespace qz::e2e
