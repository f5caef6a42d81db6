// The scrypt work factors of strong (".age") files.
#pragma once

namespace qz {

// log2 of scrypt's N: what writers use by default, and the range qzcrypt lets a user
// choose. Readers take 1 to kMaxStrongWorkFactor and refuse more before taking memory.
inline constexpr int kStrongWorkFactor = 18;
inline constexpr int kMinChosenWorkFactor = 10;
inline constexpr int kMaxStrongWorkFactor = 22;
// What a writer takes (kDeriveKey otherwise): 1 to kMaxStrongWorkFactor.
inline constexpr bool ValidStrongWorkFactor(int logN) {
  return logN >= 1 && logN <= kMaxStrongWorkFactor;
}

}  // namespace qz
