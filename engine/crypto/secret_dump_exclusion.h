// Keeps guarded memory out of the error reports Windows may write when the program fails;
// elsewhere nothing (qzcrypt turns core dumps off on its own).
#pragma once

#include <cstddef>

namespace qz {

void ExcludeFromDumps(void* block, std::size_t size);
void IncludeInDumps(void* block, std::size_t size);

}  // namespace qz
