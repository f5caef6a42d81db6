// What a scrypt derivation made ahead may take: a batch's key pools derive another key
// beside those under way only while the physical memory holds it.
#pragma once

#include <cstdint>

namespace qzops {

// Physical memory the system can give now (on Linux the page cache included); 0 when
// unknown.
std::uint64_t FreePhysicalMemory();
// scrypt's memory at logN with r = 8, and a little for the rest of a derivation.
std::uint64_t DerivationBytes(int logN);
// Whether one more derivation at logN fits beside a margin for the rest of the system.
bool RoomForDerivation(int logN);
// How many derivations at logN fit in the memory free now beside that margin.
std::uint64_t DerivationsThatFit(int logN);

}  // namespace qzops
