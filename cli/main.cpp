// qzcrypt: encrypts files into ".qz" files and back from the command line.
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "arguments.h"
#include "code_page.h"
#include "commands.h"
#include "file_cipher.h"
#include "folder_expansion.h"
#include "interrupt.h"
#include "messages.h"
#include "password_input.h"
#include "progress_bar.h"

namespace {

using namespace qzcli;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int UsageError(const std::string& text) {
  ReportError(text);
  std::fputs("Try 'qzcrypt --help'.\n", stderr);
  return kExitUsage;
}

// The password as the engine wants it: code page 936, the default for an empty one.
// Returns an exit status other than kExitOk when there is none to use.
int ObtainPassword(const Arguments& args, std::string* password) {
  std::string typed, error;
  PasswordStatus status;
  if (args.hasPasswordFile) {
    status = ReadPasswordFile(args.passwordFile, &typed, &error);
  } else if (args.passwordStdin) {
    status = ReadPasswordStream(stdin, &typed, &error);
  } else {
    status = PromptPassword(args.command == Command::kEncrypt, &typed, &error);
  }
  if (status == PasswordStatus::kInterrupted) ExitForInterrupt();
  if (status != PasswordStatus::kOk) return UsageError(error);

  const bool converted = ToCodePage936(typed, password);
  Wipe(&typed);
  if (!converted) {
    return UsageError(
        "the password cannot be written in code page 936 (it holds characters that code page "
        "936 lacks, or bytes that are not text in this locale's encoding)");
  }
  if (password->empty()) *password = qz::kDefaultPassword;
  if (password->size() > qz::kMaxPasswordBytes) {
    Wipe(password);
    return UsageError("the password is longer than 259 bytes (in code page 936)");
  }
  return kExitOk;
}

bool RunOne(Command command, const std::string& path, const RunOptions& options) {
  switch (command) {
    case Command::kEncrypt: return EncryptOne(path, options);
    case Command::kDecrypt: return DecryptOne(path, options);
    case Command::kCheck: return CheckOne(path, options);
    case Command::kNone: break;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  InitLocale();
  Arguments args;
  std::string error;
  if (!ParseArguments(argc, argv, &args, &error)) return UsageError(error);
  if (args.help) {
    std::fputs(UsageText(), stdout);
    return kExitOk;
  }
  if (args.version) {
    std::puts(VersionText().c_str());
    return kExitOk;
  }
  InstallInterruptHandlers();

  // Listing first: nobody is asked for a password when there is nothing to do.
  std::vector<Expansion> expansions;
  std::size_t fileCount = 0;
  for (const std::string& path : args.paths) {
    expansions.push_back(ExpandPath(args.command, path));
    fileCount += expansions.back().files.size();
  }

  RunOptions options;
  options.keep = args.keep;
  options.quiet = args.quiet;
  options.progress = !args.quiet && StderrIsTerminal();
  if (fileCount > 0) {
    const int status = ObtainPassword(args, &options.password);
    if (status != kExitOk) return status;
  }

  std::size_t failures = 0, done = 0;
  std::set<std::string> seen;  // a file named twice, or inside a named folder, runs once
  for (std::size_t i = 0; i < args.paths.size(); ++i) {
    const Expansion& expansion = expansions[i];
    if (!expansion.error.empty()) {
      ReportError(args.paths[i] + ": " + expansion.error);
      ++failures;
    }
    if (!expansion.note.empty() && !args.quiet) {
      std::printf("%s: %s\n", args.paths[i].c_str(), expansion.note.c_str());
    }
    for (const std::string& file : expansion.files) {
      if (Interrupted()) {
        Wipe(&options.password);
        ReportError("interrupted; " + std::to_string(fileCount - done) + " file(s) not processed");
        ExitForInterrupt();
      }
      ++done;
      if (!seen.insert(file).second) continue;
      if (!RunOne(args.command, file, options)) ++failures;
    }
  }
  Wipe(&options.password);
  std::fflush(stdout);
  return failures > 0 ? kExitFailed : kExitOk;
}
