// The password a ".qz" file is encrypted with when the user gives none.
#pragma once

namespace qz {

inline constexpr char kDefaultPassword[] = "QX31742#MVB";

}  // namespace qz
