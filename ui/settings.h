// What the program remembers between starts, and its text form: "Name=value" lines under
// "[Lockmere]", as an .ini file. Reading is lenient: a line or value it does not know
// leaves that setting at its first-start state.
#pragma once

#include <string>
#include <string_view>

struct Settings {
  bool strongFiles = false;  // the encryption dialog's "强加密" box
  bool wholeTree = false;    // the folder commands' "包括子文件夹" box

  static Settings Parse(std::string_view text);
  std::string Serialise() const;
};
