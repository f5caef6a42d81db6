#include "strength/date_matches.h"

#include <algorithm>
#include <cstdlib>

namespace qz::strength {

namespace {

constexpr int kReferenceYear = 2017;
constexpr int kMinYearSpace = 20;
constexpr int kMinYear = 1000;
constexpr int kMaxYear = 2050;

// Years further from the reference year take more guesses.
int YearSpace(int year) { return std::max(std::abs(year - kReferenceYear), kMinYearSpace); }

bool IsDigit(char32_t c) { return DecimalDigitValue(c) >= 0; }

int Number(const Text& text, size_t from, size_t to) {
  int value = 0;
  for (size_t k = from; k < to; ++k) value = value * 10 + DecimalDigitValue(text[k]);
  return value;
}

bool IsDayMonth(int a, int b) {
  return (a >= 1 && a <= 31 && b >= 1 && b <= 12) || (b >= 1 && b <= 31 && a >= 1 && a <= 12);
}

// The year of three numbers read as a date (a year first or last, day and month either
// way round), or 0 when they are none.
int DateYear(int a, int b, int c) {
  if (b > 31 || b <= 0) return 0;
  int over12 = 0;
  int over31 = 0;
  int under1 = 0;
  for (int x : {a, b, c}) {
    if ((x > 99 && x < kMinYear) || x > kMaxYear) return 0;
    over31 += x > 31;
    over12 += x > 12;
    under1 += x <= 0;
  }
  if (over31 >= 2 || over12 == 3 || under1 >= 2) return 0;
  const int years[2][3] = {{c, a, b}, {a, b, c}};  // year, then the other two
  for (const auto& y : years) {
    if (y[0] >= kMinYear && y[0] <= kMaxYear) return IsDayMonth(y[1], y[2]) ? y[0] : 0;
  }
  for (const auto& y : years) {
    if (!IsDayMonth(y[1], y[2])) continue;
    if (y[0] > 99) return y[0];
    return y[0] > 50 ? y[0] + 1900 : y[0] + 2000;
  }
  return 0;
}

struct DateFound {
  int i;
  int j;
  int year;
  bool separated;
};

// Ways to split 4 to 8 digits into three numbers: where the second and third begin.
const int kSplits[5][4][2] = {
    {{1, 2}, {2, 3}},                  // 4 digits: 1 1 91, 91 1 1
    {{1, 3}, {2, 3}},                  // 5: 1 11 91, 11 1 91
    {{1, 2}, {2, 4}, {4, 5}},          // 6: 1 1 1991, 11 11 91, 1991 1 1
    {{1, 3}, {2, 3}, {4, 5}, {4, 6}},  // 7: 1 11 1991, 11 1 1991, 1991 1 11, 1991 11 1
    {{2, 4}, {4, 6}},                  // 8: 11 11 1991, 1991 11 11
};

// The year closest to the reference year among the readings of text[i..j], or 0.
int BestUnseparatedYear(const Text& text, int i, int j) {
  int best = 0;
  for (const auto& split : kSplits[j - i + 1 - 4]) {
    if (split[0] == 0) break;
    const size_t k = i + split[0];
    const size_t l = i + split[1];
    const int year = DateYear(Number(text, i, k), Number(text, k, l), Number(text, l, j + 1));
    if (year && (!best || std::abs(year - kReferenceYear) < std::abs(best - kReferenceYear)))
      best = year;
  }
  return best;
}

bool IsSeparator(char32_t c) {
  return c == U'/' || c == U'\\' || c == U'_' || c == U'.' || c == U'-' || IsUnicodeSpace(c);
}

size_t DigitsFrom(const Text& text, size_t at, size_t end) {
  size_t k = at;
  while (k < end && IsDigit(text[k])) ++k;
  return k - at;
}

// text[i..j] as 1-4 digits, a separator, 1-2 digits, the same separator, 1-4 digits.
int SeparatedYear(const Text& text, int i, int j) {
  const size_t end = j + 1;
  const size_t first = DigitsFrom(text, i, end);
  if (first < 1 || first > 4 || i + first >= end || !IsSeparator(text[i + first])) return 0;
  const size_t secondAt = i + first + 1;
  const size_t second = DigitsFrom(text, secondAt, end);
  const size_t thirdAt = secondAt + second + 1;
  if (second < 1 || second > 2 || thirdAt > end || text[thirdAt - 1] != text[i + first]) return 0;
  const size_t third = DigitsFrom(text, thirdAt, end);
  if (third < 1 || third > 4 || thirdAt + third != end) return 0;
  return DateYear(Number(text, i, i + first), Number(text, secondAt, secondAt + second),
                  Number(text, thirdAt, end));
}

}  // namespace

void AddRecentYearMatches(const Text& password, Matches& out) {
  const int n = static_cast<int>(password.size());
  for (int p = 0; p + 4 <= n;) {
    const char32_t* c = password.data() + p;
    const bool year =
        (c[0] == U'1' && c[1] == U'9' && IsDigit(c[2]) && IsDigit(c[3])) ||
        (c[0] == U'2' && c[1] == U'0' && (c[2] == U'0' || c[2] == U'1') && IsDigit(c[3]));
    if (!year) {
      ++p;
      continue;
    }
    out.push_back(MakeMatch(Pattern::kRegex, p, p + 3, YearSpace(Number(password, p, p + 4)), n));
    p += 4;
  }
}

void AddDateMatches(const Text& password, Matches& out) {
  const int n = static_cast<int>(password.size());
  std::vector<DateFound> found;
  for (int i = 0; i + 3 < n; ++i) {
    const int digits = static_cast<int>(DigitsFrom(password, i, n));
    for (int j = i + 3; j < i + std::min(digits, 8); ++j) {
      if (const int year = BestUnseparatedYear(password, i, j))
        found.push_back({i, j, year, false});
    }
  }
  for (int i = 0; i + 5 < n; ++i) {
    for (int j = i + 5; j < i + 10 && j < n; ++j) {
      if (const int year = SeparatedYear(password, i, j)) found.push_back({i, j, year, true});
    }
  }
  // A date inside another date is noise ("2015_06_04" also holds "15_06_04").
  Matches dates;
  for (const DateFound& date : found) {
    const bool inside = std::any_of(found.begin(), found.end(), [&](const DateFound& other) {
      return &other != &date && other.i <= date.i && other.j >= date.j;
    });
    if (inside) continue;
    const Guesses guesses =
        static_cast<Guesses>(YearSpace(date.year)) * 365 * (date.separated ? 4 : 1);
    dates.push_back(MakeMatch(Pattern::kDate, date.i, date.j, guesses, n));
  }
  std::stable_sort(dates.begin(), dates.end(), [](const Match& a, const Match& b) {
    return a.i != b.i ? a.i < b.i : a.j < b.j;
  });
  out.insert(out.end(), dates.begin(), dates.end());
}

}  // namespace qz::strength
