#include "strength_text.h"

#include <algorithm>
#include <iterator>

namespace {

const char* const kScoreWords[] = {"很弱", "弱", "一般", "强", "很强"};

struct Span {
  double seconds;  // the phrase holds below this
  const char* words;
};
constexpr double kMinute = 60, kHour = 60 * kMinute, kDay = 24 * kHour, kYear = 365.25 * kDay;
const Span kSpans[] = {
    {kMinute, "几秒"},          {kHour, "几分钟"},         {kDay, "几小时"},        {30 * kDay, "几天"},
    {kYear, "几个月"},          {10 * kYear, "几年"},      {100 * kYear, "几十年"}, {1000 * kYear, "数百年"},
    {1e300, "上千年"},
};

const Span& SpanOf(double seconds) {
  return *std::find_if(std::begin(kSpans), std::end(kSpans) - 1, [&](const Span& span) { return seconds < span.seconds; });
}

const char* ScoreWords(int score) { return kScoreWords[std::clamp(score, 0, 4)]; }

// "几小时内可被猜中" for what falls within a year, "需几十年才能猜中" beyond.
std::string GuessTime(double seconds) {
  const char* words = SpanOf(seconds).words;
  return seconds < kYear ? std::string(words) + "内可被猜中" : "需" + std::string(words) + "才能猜中";
}

}  // namespace

std::string StrengthLine(const qzops::PasswordVerdict& verdict, bool strongFile, bool empty) {
  if (empty)
    return strongFile ? "未输入密码：强加密文件必须设置密码" : "未输入密码：将使用内置默认密码，任何人都能打开";
  std::string line = "密码强度：" + std::string(ScoreWords(verdict.score)) + "（";
  if (!strongFile && verdict.limitedByQzKey)
    line += ".qz 文件最多" + std::string(SpanOf(verdict.secondsToGuess).words) + "即可破解";
  else
    line += GuessTime(verdict.secondsToGuess);
  return line + "）";
}

std::string StrengthWords(const qzops::PasswordVerdict& verdict) {
  return std::string(ScoreWords(verdict.score)) + "，" + GuessTime(verdict.secondsToGuess);
}
