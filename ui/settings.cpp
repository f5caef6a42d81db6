#include "settings.h"

namespace {

constexpr char kSection[] = "[Lockmere]";
constexpr char kStrongFiles[] = "StrongFiles";
constexpr char kWholeTree[] = "WholeTree";

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

Settings Settings::Parse(std::string_view text) {
  Settings settings;
  // Notepad may have saved it with a byte order mark.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  bool inSection = false;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = Trimmed(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.front() == '[') {
      inSection = line == kSection;
      continue;
    }
    const size_t equals = line.find('=');
    if (!inSection || equals == std::string_view::npos) continue;
    const std::string_view name = Trimmed(line.substr(0, equals));
    const std::string_view value = Trimmed(line.substr(equals + 1));
    if (name == kStrongFiles && (value == "0" || value == "1")) settings.strongFiles = value == "1";
    if (name == kWholeTree && (value == "0" || value == "1")) settings.wholeTree = value == "1";
  }
  return settings;
}

std::string Settings::Serialise() const {
  std::string text = std::string(kSection) + "\r\n";
  text += std::string(kStrongFiles) + "=" + (strongFiles ? "1" : "0") + "\r\n";
  text += std::string(kWholeTree) + "=" + (wholeTree ? "1" : "0") + "\r\n";
  return text;
}
