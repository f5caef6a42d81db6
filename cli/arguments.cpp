#include "arguments.h"

#include <cstring>

namespace qzcli {

namespace {

bool ParseCommand(const std::string& word, Command* command) {
  if (word == "encrypt") *command = Command::kEncrypt;
  else if (word == "decrypt") *command = Command::kDecrypt;
  else if (word == "check") *command = Command::kCheck;
  else return false;
  return true;
}

}  // namespace

bool ParseArguments(int argc, char** argv, Arguments* args, std::string* error) {
  *args = Arguments();
  std::vector<std::string> words;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      words.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--help" || arg == "-h") {
      args->help = true;
      return true;
    } else if (arg == "--version") {
      args->version = true;
      return true;
    } else if (arg == "--keep") {
      args->keep = true;
    } else if (arg == "--force") {
      args->force = true;
    } else if (arg == "--ignore-name") {
      args->ignoreName = true;
    } else if (arg == "--quiet" || arg == "-q") {
      args->quiet = true;
    } else if (arg == "--password-stdin") {
      args->passwordStdin = true;
    } else if (arg == "--password-file" || arg.compare(0, 16, "--password-file=") == 0) {
      if (args->hasPasswordFile) {
        *error = "--password-file given twice";
        return false;
      }
      if (arg.size() > 15) {
        args->passwordFile = arg.substr(16);
      } else if (i + 1 < argc) {
        args->passwordFile = argv[++i];
      } else {
        *error = "--password-file needs a file name";
        return false;
      }
      if (args->passwordFile.empty()) {
        *error = "--password-file needs a file name";
        return false;
      }
      args->hasPasswordFile = true;
    } else {
      *error = "unknown option " + arg;
      return false;
    }
  }
  if (words.empty()) {
    *error = "missing command (encrypt, decrypt or check)";
    return false;
  }
  if (!ParseCommand(words[0], &args->command)) {
    *error = "unknown command " + words[0];
    return false;
  }
  args->paths.assign(words.begin() + 1, words.end());
  if (args->paths.empty()) {
    *error = "no files or folders given";
    return false;
  }
  if (args->hasPasswordFile && args->passwordStdin) {
    *error = "--password-file and --password-stdin cannot be used together";
    return false;
  }
  return true;
}

}  // namespace qzcli
