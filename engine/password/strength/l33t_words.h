// Listed words read through l33t readings: a walk from each position along the sorted
// word list, the readings that agree so far parting ways where they read a symbol as
// different letters, so each distinct word is looked up once however many readings
// share it.
#pragma once

#include <vector>

#include "strength/l33t_substitutions.h"
#include "strength/strength_text.h"

namespace qz::strength {

// A listed word read from password[i..j] under some readings: the first of them (the
// reference's order) stands for all, since the others would only repeat its match.
struct L33tWord {
  int i;
  int j;
  int reading;  // index into the readings
  int rank;
};

// Sorted by i, then j, then reading.
std::vector<L33tWord> FindL33tWords(const Text& password, const L33tReadings& readings);

}  // namespace qz::strength
