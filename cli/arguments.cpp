#include "arguments.h"

#include <cstring>

namespace qzcli {

namespace {

bool ParseCommand(const std::string& word, Command* command) {
  if (word == "encrypt") *command = Command::kEncrypt;
  else if (word == "decrypt") *command = Command::kDecrypt;
  else if (word == "check") *command = Command::kCheck;
  else if (word == "upgrade") *command = Command::kUpgrade;
  else return false;
  return true;
}

// Decimal digits only: "12abc", "+12" and " 12" are not work factors.
bool ParseWorkFactor(const std::string& text, int* value) {
  if (text.empty() || text.size() > 2) return false;
  int n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + (c - '0');
  }
  if (n < qz::kMinChosenWorkFactor || n > qz::kMaxStrongWorkFactor) return false;
  *value = n;
  return true;
}

// "--name VALUE" or "--name=VALUE"; false with a message when the value is missing.
bool OptionValue(const std::string& arg, const char* name, int argc, char** argv, int* i,
                 std::string* value, std::string* error) {
  const std::string prefix = std::string(name) + "=";
  if (arg.compare(0, prefix.size(), prefix) == 0) {
    *value = arg.substr(prefix.size());
  } else if (*i + 1 < argc) {
    *value = argv[++*i];
  } else {
    value->clear();
  }
  if (value->empty()) {
    *error = std::string(name) + " needs a value";
    return false;
  }
  return true;
}

// A file option, given once: --password-file and --new-password-file.
bool FileOption(const std::string& arg, const char* name, int argc, char** argv, int* i,
                std::string* value, bool* given, std::string* error) {
  if (*given) {
    *error = std::string(name) + " given twice";
    return false;
  }
  if (!OptionValue(arg, name, argc, argv, i, value, error)) {
    *error = std::string(name) + " needs a file name";
    return false;
  }
  *given = true;
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
    } else if (arg == "--recursive" || arg == "-r") {
      args->recursive = true;
    } else if (arg == "--force") {
      args->force = true;
    } else if (arg == "--ignore-name") {
      args->ignoreName = true;
    } else if (arg == "--quiet" || arg == "-q") {
      args->quiet = true;
    } else if (arg == "--strong") {
      args->strong = true;
    } else if (arg == "--work-factor" || arg.compare(0, 14, "--work-factor=") == 0) {
      std::string value;
      if (!OptionValue(arg, "--work-factor", argc, argv, &i, &value, error)) return false;
      if (!ParseWorkFactor(value, &args->workFactor)) {
        *error = "--work-factor takes a number from " +
                 std::to_string(qz::kMinChosenWorkFactor) + " to " +
                 std::to_string(qz::kMaxStrongWorkFactor) + ", not " + value;
        return false;
      }
      args->hasWorkFactor = true;
    } else if (arg == "--generate-password") {
      args->generatePassword = true;
    } else if (arg == "--new-password-file" || arg.compare(0, 20, "--new-password-file=") == 0) {
      if (!FileOption(arg, "--new-password-file", argc, argv, &i, &args->newPasswordFile,
                      &args->hasNewPasswordFile, error))
        return false;
    } else if (arg == "--password-stdin") {
      args->passwordStdin = true;
    } else if (arg == "--password-file" || arg.compare(0, 16, "--password-file=") == 0) {
      if (!FileOption(arg, "--password-file", argc, argv, &i, &args->passwordFile, &args->hasPasswordFile, error))
        return false;
    } else {
      *error = "unknown option " + arg;
      return false;
    }
  }
  if (words.empty()) {
    *error = "missing command (encrypt, decrypt, check or upgrade)";
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
  if (args->strong && args->command != Command::kEncrypt) {
    *error = "--strong goes with encrypt only (decrypt and check tell a .age file by its name)";
    return false;
  }
  const bool writesStrong =
      (args->command == Command::kEncrypt && args->strong) || args->command == Command::kUpgrade;
  if (args->hasWorkFactor && !writesStrong) {
    *error = "--work-factor goes with encrypt --strong and upgrade, which write .age files";
    return false;
  }
  if (args->generatePassword && !writesStrong) {
    *error = "--generate-password goes with encrypt --strong and upgrade, which write .age files";
    return false;
  }
  if (args->hasNewPasswordFile && args->command != Command::kUpgrade) {
    *error = "--new-password-file goes with upgrade only";
    return false;
  }
  if (args->hasNewPasswordFile && args->generatePassword) {
    *error = "--new-password-file and --generate-password cannot be used together";
    return false;
  }
  if (args->generatePassword && args->command == Command::kEncrypt &&
      (args->hasPasswordFile || args->passwordStdin)) {
    *error = "--generate-password makes the password of encrypt --strong: it cannot be used with "
             "--password-file or --password-stdin";
    return false;
  }
  if (args->hasPasswordFile && args->passwordStdin) {
    *error = "--password-file and --password-stdin cannot be used together";
    return false;
  }
  return true;
}

}  // namespace qzcli
