// qzcrypt: encrypts files into ".qz" files and back from the command line.
#include <cstdio>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "arguments.h"
#include "code_page.h"
#include "command_plan.h"
#include "commands.h"
#include "file_listing.h"
#include "folder_expansion.h"
#include "fs/file_names.h"
#include "interrupt.h"
#include "messages.h"
#include "password_input.h"
#include "progress_bar.h"
#include "qz/default_password.h"
#include "qz/qz_format.h"
#include "decryption_key_pool.h"
#include "strong_key_pool.h"
#include "strong_password.h"

#ifdef _WIN32
#include "fs/win_path.h"
#endif

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

// Which passwords a run needs: a ".qz" file's (code page 936) and a ".age" file's (UTF-8).
struct PasswordNeeds {
  bool qz = false;
  bool strong = false;
};

PasswordNeeds NeedsOf(const Arguments& args, const std::vector<Expansion>& expansions) {
  std::vector<std::string> files;
  for (const Expansion& expansion : expansions) files.insert(files.end(), expansion.files.begin(), expansion.files.end());
  const qzops::PasswordUse use = qzops::PasswordUseOf(OperationOf(args.command), args.strong, files);
  return {qzops::NeedsQzForm(use), qzops::NeedsStrongForm(use)};
}

// The strong files of an upgrade take the ".qz" password (options->password, read
// already) unless they get one of their own; never the built-in default, which anyone can
// use.
int ObtainUpgradePassword(const Arguments& args, RunOptions* options) {
  qz::Secret& strong = options->strongPassword;
  if (args.hasNewPasswordFile) {
    strong.Clear();
    std::string error;
    if (!ReadNewPasswordFile(args.newPasswordFile, &strong, &error)) return UsageError(error);
  } else if (args.generatePassword) {
    strong = GeneratedPassword();
  } else if (qz::IsDefaultPassword(options->password)) {
    return UsageError("the password is the built-in default, which anyone can use: a strong (.age) "
                      "file needs a password of its own; give it with --new-password-file FILE "
                      "or --generate-password");
  }
  return kExitOk;
}

// The passwords as the engine wants them: options->password in code page 936 for ".qz"
// files, options->strongPassword in UTF-8 for ".age" files, each only where the run
// needs it. Returns an exit status other than kExitOk when there is none to use.
int ObtainPassword(const Arguments& args, const PasswordNeeds& needs, RunOptions* options) {
  qz::Secret typed;
  std::string error;
  PasswordStatus status;
  const bool prompted = !args.hasPasswordFile && !args.passwordStdin;
  KeepOutOfCoreDumps();
  if (args.generatePassword && args.command == Command::kEncrypt) {
    options->strongPassword = GeneratedPassword();
    return kExitOk;
  }
  if (args.hasPasswordFile) {
    status = ReadPasswordFile(args.passwordFile, &typed, &error);
  } else if (args.passwordStdin) {
    status = ReadPasswordStream(stdin, &typed, &error);
  } else {
    status = PromptPassword(args.command == Command::kEncrypt, &typed, &error);
  }
  if (status == PasswordStatus::kInterrupted || Interrupted()) {
    typed.Clear();
    ExitForInterrupt();
  }
  if (status != PasswordStatus::kOk) return UsageError(error);

  // Typed text is in the terminal's encoding; a file is the same bytes on every system.
  // A strong password is UTF-8, so it may hold what code page 936 lacks.
  qz::Secret& password = options->password;
  qz::Secret& strong = options->strongPassword;
  bool converted = true;
  if (needs.strong) converted = prompted ? ToUtf8(typed, &strong) : PasswordToUtf8(typed, &strong);
  if (converted && needs.qz) {
    converted = prompted ? LocaleToCodePage936(typed, &password) : PasswordToCodePage936(typed, &password);
    if (!converted) {
      typed.Clear();
      return UsageError(
          prompted ? "the password cannot be written in code page 936, which .qz files need (it "
                     "holds characters that code page 936 lacks, or bytes that are not text in "
                     "this locale's encoding)"
                   : "the password cannot be written in code page 936, which .qz files need (it "
                     "holds characters that code page 936 lacks, or bytes that are neither UTF-8 "
                     "nor code page 936)");
    }
  }
  const bool empty = (needs.qz ? password : strong).empty();
  typed.Clear();
  if (!converted) {
    return UsageError(prompted ? "the password is not text in this locale's encoding"
                               : "the password is neither UTF-8 nor code page 936 bytes");
  }
  if (empty) {
    // A script's empty file is a mistake, never a request for the public default.
    if (!prompted) {
      return UsageError(
          (args.hasPasswordFile ? "the password file " + args.passwordFile
                                : std::string("standard input")) +
          (needs.qz ? " gives an empty password; the built-in default password, which anyone "
                      "can use, is taken only for an empty entry at the terminal"
                    : " gives an empty password; a strong (.age) file needs a password"));
    }
    // Writing a strong file with a password anyone knows would defeat its purpose.
    if (args.command == Command::kEncrypt && args.strong) {
      return UsageError("empty password: a strong (.age) file needs a password; there is no "
                        "default password for strong files");
    }
    if (args.command == Command::kUpgrade && !args.hasNewPasswordFile && !args.generatePassword) {
      return UsageError("empty password: upgrade writes strong (.age) files, and there is no "
                        "default password for strong files; give them one with "
                        "--new-password-file FILE or --generate-password");
    }
    // Each .age file of the run then fails for want of a password.
    if (needs.qz) {
      ReportError("warning: empty password; the built-in default password, which anyone can "
                  "use, is used for .qz files");
      password = qz::DefaultPassword();
    }
  }
  if (needs.qz && password.size() > qz::kMaxPasswordBytes) {
    password.Clear();
    strong.Clear();
    return UsageError("the password is longer than 259 bytes (in code page 936)");
  }
  if (args.command == Command::kUpgrade) return ObtainUpgradePassword(args, options);
  return kExitOk;
}

void WipePasswords(RunOptions* options) {
  if (options->keyPool) options->keyPool->Stop();
  options->password.Clear();
  options->strongPassword.Clear();
}

// Called once the file in hand has reported its own interruption.
[[noreturn]] void StopForInterrupt(std::size_t notStarted, RunOptions* options) {
  WipePasswords(options);
  ReportError(notStarted > 0 ? "interrupted; " + std::to_string(notStarted) +
                                   " more file(s) not processed"
                             : std::string("interrupted"));
  ExitForInterrupt();
}

struct PasswordSource {
  FileIdentity id;
  const char* note;
};

// The files the passwords come from: a run never works on them (encrypted with itself, the
// only copy of a password would be locked inside).
std::vector<PasswordSource> PasswordSources(const Arguments& args) {
  static const char kRunPassword[] =
      "it holds the password of this run (--password-file or standard input); left as it is";
  static const char kNewPassword[] =
      "it holds the new password of this run (--new-password-file); left as it is";
  std::vector<PasswordSource> sources;
  FileIdentity id;
  if (args.hasPasswordFile && IdentityOf(args.passwordFile, true, &id)) sources.push_back({id, kRunPassword});
  if (args.passwordStdin && IdentityOfStandardInput(&id)) sources.push_back({id, kRunPassword});
  if (args.hasNewPasswordFile && IdentityOf(args.newPasswordFile, true, &id))
    sources.push_back({id, kNewPassword});
  return sources;
}

// Takes the passwords' own files out of the expansions: a line for one where a folder held
// it, a failure where it was named.
void SetAsidePasswordSources(const Arguments& args, std::vector<Expansion>* expansions) {
  const std::vector<PasswordSource> sources = PasswordSources(args);
  if (sources.empty()) return;
  for (std::size_t i = 0; i < expansions->size(); ++i) {
    Expansion& expansion = (*expansions)[i];
    std::vector<std::string> kept;
    for (const std::string& file : expansion.files) {
      FileIdentity id;
      const PasswordSource* source = nullptr;
      if (IdentityOf(file, false, &id)) {
        for (const PasswordSource& one : sources) {
          if (one.id == id) source = &one;
        }
      }
      if (!source) {
        kept.push_back(file);
      } else if (file == args.paths[i]) {
        expansion.error = source->note;
      } else {
        expansion.skipped.push_back(file + ": " + source->note);
      }
    }
    expansion.files.swap(kept);
  }
}

// One entry of one folder, however the path spells it: "d/a" and "./d/a" are one, while
// two hard links of a file stay two names, each told on its own.
std::string EntryKey(const std::string& path) {
  const std::size_t sep = qz::LastSeparator(path);
  std::string folder = sep == std::string::npos ? std::string(".") : path.substr(0, sep + 1);
  std::string name = BaseName(path);
#ifdef _WIN32
  if (sep == std::string::npos && path.size() >= 2 && path[1] == ':') folder = path.substr(0, 2);
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');  // one name to the system
  }
#endif
  FileIdentity id;
  if (!IdentityOf(folder, true, &id)) return "path " + path;
  return std::to_string(id.device) + ":" + std::to_string(id.file) + "/" + name;
}

int Run(int argc, char** argv) {
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
  for (const std::string& path : args.paths) expansions.push_back(ExpandPath(args.command, path, args.recursive));
  if (args.command != Command::kCheck) SetAsidePasswordSources(args, &expansions);
  // Each file by what it is, taken before any of them is replaced.
  std::vector<std::vector<std::string>> keys(expansions.size());
  std::size_t fileCount = 0;
  for (std::size_t i = 0; i < expansions.size(); ++i) {
    for (const std::string& file : expansions[i].files) keys[i].push_back(EntryKey(file));
    fileCount += expansions[i].files.size();
  }

  RunOptions options;
  options.keep = args.keep;
  options.force = args.force;
  options.ignoreName = args.ignoreName;
  options.quiet = args.quiet;
  options.progress = !args.quiet && StderrIsTerminal();
  options.strong = args.strong;
  options.workFactor = args.workFactor;
  options.cancel = &InterruptRequest();
  if (fileCount > 0) {
    const int status = ObtainPassword(args, NeedsOf(args, expansions), &options);
    if (status != kExitOk) {
      WipePasswords(&options);
      return status;
    }
    // Told, never enforced: a script's choice of password stands.
    if (args.command == Command::kUpgrade || (args.command == Command::kEncrypt && args.strong))
      WarnIfEasyToGuess(options.strongPassword, options.workFactor);
  }

  // Strong files' keys for the next files are made while one is written.
  std::optional<qzops::StrongKeyPool> keyPool;
  std::optional<qzops::DecryptionKeyPool> decryptionKeys;
  std::optional<TerminalSession> commandRun;  // ends before the pools it uses
  if (((args.command == Command::kEncrypt && options.strong) || args.command == Command::kUpgrade) &&
      fileCount > 1) {
    keyPool.emplace(fileCount);
    options.keyPool = &*keyPool;
  }
  if (args.command == Command::kDecrypt) {
    std::vector<std::string> files;
    for (const Expansion& expansion : expansions)
      files.insert(files.end(), expansion.files.begin(), expansion.files.end());
    if (qzops::DecryptionKeyPool::Worthwhile(files)) {
      decryptionKeys.emplace(files);
      options.decryptionKeys = &*decryptionKeys;
    }
  }

  commandRun.emplace(OperationOf(args.command), options);
  std::size_t failures = 0, started = 0;
  std::set<std::string> seen;  // a file named twice, or inside a named folder, runs once
  for (std::size_t i = 0; i < args.paths.size(); ++i) {
    const Expansion& expansion = expansions[i];
    if (!expansion.error.empty()) {
      ReportError(args.paths[i] + ": " + expansion.error);
      ++failures;
    }
    if (!expansion.note.empty()) ReportInfo(options, args.paths[i] + ": " + expansion.note);
    for (const std::string& line : expansion.skipped) ReportInfo(options, "skipped " + line);
    for (std::size_t k = 0; k < expansion.files.size(); ++k) {
      if (Interrupted()) StopForInterrupt(fileCount - started, &options);
      ++started;
      if (!seen.insert(keys[i][k]).second) continue;
      if (!commandRun->Run(expansion.files[k])) ++failures;
    }
  }
  if (Interrupted()) StopForInterrupt(0, &options);
  WipePasswords(&options);
  std::fflush(stdout);
  return failures > 0 ? kExitFailed : kExitOk;
}

}  // namespace

#ifdef _WIN32

// The arguments as the system holds them, wide, so that any name arrives as it is on
// disk whatever the ANSI code page; inside they are UTF-8, as the engine takes paths.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> words;
  for (int i = 0; i < argc; ++i) {
    words.push_back(qz::Utf8Path(argv[i]));
    if (words.back().empty() && argv[i][0] != L'\0') {
      return UsageError("argument " + std::to_string(i) +
                        " holds an unpaired surrogate, which names no file");
    }
  }
  std::vector<char*> pointers;
  for (std::string& word : words) pointers.push_back(word.data());
  pointers.push_back(nullptr);
  return Run(argc, pointers.data());
}

#else

int main(int argc, char** argv) { return Run(argc, argv); }

#endif
