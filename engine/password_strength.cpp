#include "password_strength.h"

namespace qz {

PasswordStrength EstimatePasswordStrength(std::string_view password) {
  PasswordStrength strength;
  strength.guessesLog10 = static_cast<double>(password.size());
  return strength;
}

}  // namespace qz
