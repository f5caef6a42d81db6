#include "strength/keyboard_matches.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "strength/strength_tables.h"

namespace qz::strength {

namespace {

constexpr int kMaxDirections = 8;

// One layout: for every ASCII key, its neighbour per direction, unshifted and shifted.
struct KeyboardGraph {
  bool fullKeyboard = false;  // a whole keyboard, as against a numeric keypad
  int directions = 0;
  std::array<bool, 128> present{};
  std::array<std::array<std::array<char, 2>, kMaxDirections>, 128> neighbours{};
  int keys = 0;
  double averageDegree = 0;
};

std::vector<KeyboardGraph> LoadGraphs() {
  std::vector<KeyboardGraph> graphs(kKeyboardGraphCount);
  for (int g = 0; g < kKeyboardGraphCount; ++g) {
    const KeyboardGraphInfo& info = kKeyboardGraphs[g];
    KeyboardGraph& graph = graphs[g];
    graph.fullKeyboard = !std::strcmp(info.name, "qwerty") || !std::strcmp(info.name, "dvorak");
    graph.directions = info.directions;
    int degrees = 0;
    for (const char* at = info.keys; *at; at += 1 + 2 * info.directions) {
      const auto key = static_cast<unsigned char>(at[0]) & 0x7F;
      graph.present[key] = true;
      ++graph.keys;
      for (int d = 0; d < info.directions; ++d) {
        graph.neighbours[key][d] = {at[1 + 2 * d], at[2 + 2 * d]};
        degrees += at[1 + 2 * d] != ' ';
      }
    }
    graph.averageDegree = static_cast<double>(degrees) / graph.keys;
  }
  return graphs;
}

const std::vector<KeyboardGraph>& Graphs() {
  static const std::vector<KeyboardGraph> graphs = LoadGraphs();
  return graphs;
}

const KeyboardGraph& GraphNamed(const char* name) {
  for (int g = 0; g < kKeyboardGraphCount; ++g)
    if (!std::strcmp(kKeyboardGraphs[g].name, name)) return Graphs()[g];
  return Graphs().front();
}

bool IsShiftedKey(char32_t c) {
  return IsAsciiUpper(c) ||
         (c != 0 && c < 0x80 && std::strchr("~!@#$%^&*()_+{}|:\"<>?", static_cast<int>(c)));
}

// Walks of this length or shorter with this many turns or fewer, times the ways to shift.
double KeyboardGuesses(const KeyboardGraph& graph, int length, int turns, int shifted) {
  // Full keyboards are counted on qwerty, keypads on the plain keypad.
  const KeyboardGraph& model = GraphNamed(graph.fullKeyboard ? "qwerty" : "keypad");
  const int starts = model.keys;
  const double degree = model.averageDegree;
  double guesses = 0;
  for (int i = 2; i <= length; ++i) {
    const int possibleTurns = std::min(turns, i - 1) + 1;
    for (int j = 1; j < possibleTurns; ++j)
      guesses += Choose(i - 1, j - 1) * starts * std::pow(degree, static_cast<double>(j));
  }
  if (shifted) {
    const int unshifted = length - shifted;
    if (unshifted == 0) {
      guesses *= 2;
    } else {
      double variations = 0;
      for (int k = 1; k <= std::min(shifted, unshifted); ++k)
        variations += Choose(shifted + unshifted, k);
      guesses *= variations;
    }
  }
  return guesses;
}

void AddGraphMatches(const Text& password, const KeyboardGraph& graph, Matches& out) {
  const int n = static_cast<int>(password.size());
  int i = 0;
  while (i < n - 1) {
    int j = i + 1;
    int lastDirection = -1;
    int turns = 0;
    int shifted = graph.fullKeyboard && IsShiftedKey(password[i]) ? 1 : 0;
    for (;;) {
      const char32_t previous = password[j - 1];
      bool found = false;
      // A walk never reaches a space: it is no key, and stands for no neighbour.
      if (j < n && previous < 0x80 && graph.present[previous] && password[j] != U' ') {
        const char32_t current = password[j];
        for (int d = 0; d < graph.directions && !found; ++d) {
          const auto& neighbour = graph.neighbours[previous][d];
          for (int shift = 0; shift < 2 && !found; ++shift) {
            if (static_cast<unsigned char>(neighbour[shift]) != current) continue;
            found = true;
            shifted += shift;
            if (lastDirection != d) ++turns, lastDirection = d;
          }
        }
      }
      if (found) {
        ++j;
        continue;
      }
      if (j - i > 2) {
        const double guesses = KeyboardGuesses(graph, j - i, turns, shifted);
        out.push_back(MakeMatch(Pattern::kSpatial, i, j - 1, guesses, n));
      }
      i = j;
      break;
    }
  }
}

}  // namespace

void AddKeyboardMatches(const Text& password, Matches& out) {
  Matches found;
  for (const KeyboardGraph& graph : Graphs()) AddGraphMatches(password, graph, found);
  std::stable_sort(found.begin(), found.end(), [](const Match& a, const Match& b) {
    return a.i != b.i ? a.i < b.i : a.j < b.j;
  });
  out.insert(out.end(), found.begin(), found.end());
}

}  // namespace qz::strength
