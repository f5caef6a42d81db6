// What the link tests share: recorded stand-ins for the calls that open links and show
// help, a class registry of the test's own, recorded message boxes, and a colour probe.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "link_launcher.h"

namespace linktest {

struct ShellCall {
  std::string verb;
  std::string file;
  bool parameters;  // non-null parameters were given
  bool directory;   // non-null directory was given
  int show;
};
struct ExecCall {
  std::string commandLine;
  UINT show;
};
struct HelpCall {
  ULONG_PTR context;
  UINT command;
};

// Replaces the link's system calls while it lives; each answers with the set result.
class RecordedLinkCalls {
 public:
  RecordedLinkCalls();
  ~RecordedLinkCalls();
  INT_PTR shellResult = 42;
  UINT execResult = 33;
  std::vector<ShellCall> shell;
  std::vector<ExecCall> exec;
  std::vector<HelpCall> help;

 private:
  LinkSystemCalls saved_;
};

// Redirects HKEY_CLASSES_ROOT of this process to an empty key while it lives.
class TestClassesRoot {
 public:
  TestClassesRoot();
  ~TestClassesRoot();
  bool ok() const { return ok_; }
  // Creates subKey with the default value (nullptr: the key without one).
  void SetDefault(const std::string& subKey, const char* value);
  void SetNamed(const std::string& subKey, const char* name, const char* value);

 private:
  HKEY root_ = nullptr;
  std::string path_;
  bool ok_ = false;
};

struct RecordedBox {
  std::string text;  // UTF-8
  UINT type;
};
// Records the application's message boxes (answered with OK) while it lives.
class RecordedBoxes {
 public:
  RecordedBoxes();
  ~RecordedBoxes();
  std::vector<RecordedBox> boxes;
};

// What a colour request to dialog for control gives: brush, text colour, background mode.
struct ColourAnswer {
  HBRUSH brush;
  COLORREF text;
  int backgroundMode;
};
ColourAnswer AskColour(HWND dialog, HWND control);

// The window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window);
// The extent of text (ANSI) in font.
SIZE TextExtent(HFONT font, const std::string& text);

}  // namespace linktest
