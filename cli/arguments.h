// The command line: one command, options anywhere, then paths.
#pragma once

#include <string>
#include <vector>

#include "age/strong_file.h"

namespace qzcli {

enum class Command { kNone, kEncrypt, kDecrypt, kCheck, kUpgrade };

struct Arguments {
  Command command = Command::kNone;
  std::vector<std::string> paths;
  std::string passwordFile;
  bool hasPasswordFile = false;
  bool passwordStdin = false;
  // The strong files of an upgrade get this file's password instead of the ".qz" one.
  std::string newPasswordFile;
  bool hasNewPasswordFile = false;
  // encrypt --strong, upgrade: the strong files' password is a passphrase made for them.
  bool generatePassword = false;
  bool keep = false;
  bool recursive = false;   // a folder stands for its whole tree
  bool force = false;       // replace a file that has the output's name
  bool ignoreName = false;  // decrypt although the name stored inside differs
  bool strong = false;      // encrypt into ".age" files
  int workFactor = qz::kStrongWorkFactor;  // scrypt's log2 N for the ".age" files written
  bool hasWorkFactor = false;
  bool quiet = false;
  bool help = false;
  bool version = false;
};

// Fills args from argv. Returns false with a message in *error for a usage error.
// --help and --version stop checking the rest, so they work with any command line.
bool ParseArguments(int argc, char** argv, Arguments* args, std::string* error);

}  // namespace qzcli
