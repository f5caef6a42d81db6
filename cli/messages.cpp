#include "messages.h"

namespace qzcli {

namespace {

// The format's own steps keep their numbers, so a report can be matched with the
// desktop program's message for the same step.
std::string WithCode(const char* text, bool diskFull, char letter, int number) {
  std::string line = text;
  if (diskFull) line += ": the disk is full";
  if (number < 1 || number > 12) return line;
  return line + " (" + letter + std::to_string(number) + ")";
}

const char* EncryptStepWords(qz::EncryptStep step) {
  using S = qz::EncryptStep;
  switch (step) {
    case S::kOk: return "no error";
    case S::kOpenSource: return "cannot open the source";
    case S::kCreateDest: return "cannot create the destination";
    case S::kAcquireContext: return "cannot open the cryptographic provider";
    case S::kCreateHash: return "cannot create the password hash";
    case S::kHashData: return "cannot hash the password";
    case S::kDeriveKey: return "cannot derive the key";
    case S::kAllocBuffer: return "not enough memory";
    case S::kCryptHeader: return "cannot encrypt the header";
    case S::kWriteHeader: return "cannot write the header";
    case S::kReadBlock: return "cannot read the source";
    case S::kCryptBlock: return "cannot encrypt the data";
    case S::kWriteBlock: return "cannot write the output";
    case S::kReplaceDest: return "the finished output could not be renamed into place";
    case S::kPathTooLong: return "path too long";
    case S::kPasswordTooLong: return "password longer than 259 bytes";
    case S::kNameNotStorable:
      return "the file name contains control characters that a .qz header cannot hold";
    case S::kDestinationExists: return "a file of the output's name exists (--force replaces it)";
    case S::kCancelled: return "interrupted";
    case S::kEmptyPassword:
      return "empty password: a strong (.age) file needs a password; there is no default "
             "password for strong files";
    case S::kHasOtherLinks:
      return "it has other names (hard links), which would still hold the plain text";
  }
  return "unknown error";
}

const char* DecryptStepWords(qz::DecryptStep step) {
  using S = qz::DecryptStep;
  switch (step) {
    case S::kOk: return "no error";
    case S::kOpenSource: return "cannot open the source";
    case S::kCreateDest:
      return "cannot create the destination (a read-only file or a folder of that name exists?)";
    case S::kAcquireContext: return "cannot open the cryptographic provider";
    case S::kCreateHash: return "cannot create the password hash";
    case S::kHashData: return "cannot hash the password";
    case S::kDeriveKey: return "cannot derive the key";
    case S::kAllocBuffer: return "not enough memory";
    case S::kReadHeader: return "cannot read the header (too short to be an encrypted file, or unreadable)";
    case S::kCryptHeader: return "cannot decrypt the header";
    case S::kReadBlock: return "cannot read the source";
    case S::kCryptBlock: return "cannot decrypt the data";
    case S::kWriteBlock: return "cannot write the output";
    case S::kWrongPassword: return "wrong password";
    case S::kReplaceDest: return "the finished output could not be renamed into place";
    case S::kPathTooLong: return "path too long";
    case S::kPasswordTooLong: return "password longer than 259 bytes";
    case S::kNotEncryptedName: return "the name does not end in \".qz\" or \".age\"";
    case S::kNameMismatch:
      return "the name stored inside is another file's: a wrong password, or a renamed file";
    case S::kDestinationExists: return "a file of the output's name exists (--force replaces it)";
    case S::kCancelled: return "interrupted";
    case S::kEmptyPassword:
      return "a strong (.age) file needs a password (there is no default password for "
             "strong files)";
    case S::kDamaged: return "damaged or changed file";
    case S::kWorkFactorTooLarge: return "the file asks for a work factor more than 22";
    case S::kNotPassphraseFile: return "not a passphrase file (encrypted to other recipients)";
    case S::kVerifyFailed:
      return "verification failed: the new .age file did not read back as what was written, "
             "so the .qz file was kept";
    case S::kHasOtherLinks:
      return "it has other names (hard links), which would still hold the encrypted file";
  }
  return "unknown error";
}

}  // namespace

std::string StepText(qz::EncryptStep step, bool diskFull) {
  return WithCode(EncryptStepWords(step), diskFull, 'E', qz::StepNumber(step));
}

std::string StepText(qz::DecryptStep step, bool diskFull) {
  return WithCode(DecryptStepWords(step), diskFull, 'D', qz::StepNumber(step));
}

std::string SourceNotDeletedText(bool outputKept, const std::string& destination) {
  if (outputKept) {
    return "the source could not be deleted; " + destination +
           " was kept (it replaced an earlier file of that name, or could not be removed)";
  }
  return "the source could not be deleted; the output " + destination + " was removed again";
}

const char* UsageText() {
  return "Usage:\n"
         "  qzcrypt encrypt [options] PATH...   file -> PATH.qz (with --strong: PATH.age);\n"
         "                                      folder -> every file directly inside whose\n"
         "                                      name ends neither in \".qz\" nor in \".age\"\n"
         "  qzcrypt decrypt [options] PATH...   FILE.qz or FILE.age -> FILE; folder -> every\n"
         "                                      \".qz\" and \".age\" file directly inside\n"
         "  qzcrypt check   [options] FILE.qz|FILE.age...\n"
         "                                      tells for each file whether the password opens\n"
         "                                      it; writes nothing\n"
         "  qzcrypt upgrade [options] PATH...   FILE.qz -> FILE.age with the same password;\n"
         "                                      folder -> every \".qz\" file directly inside\n"
         "\n"
         "Options:\n"
         "  --password-file FILE   the password is the first line of FILE (UTF-8, or else\n"
         "                         code page 936 bytes)\n"
         "  --password-stdin       the password is the first line of standard input\n"
         "  --new-password-file FILE\n"
         "                         upgrade: the .age files get the password in FILE (read as\n"
         "                         --password-file reads) instead of the .qz password\n"
         "  --generate-password    encrypt --strong, upgrade: the .age files get a new\n"
         "                         passphrase of 8 words, shown once on standard error\n"
         "  --strong               encrypt: write strong files (age v1 with a scrypt\n"
         "                         passphrase), which any age tool opens\n"
         "  --work-factor N        encrypt --strong, upgrade: scrypt's work factor, 10 to 22\n"
         "                         (default 18: about a second and 256 MiB to open a file)\n"
         "  -r, --recursive        a folder stands for the files its sub-folders hold too,\n"
         "                         at any depth; links to folders are not followed\n"
         "  --keep                 keep the source file\n"
         "  --force                replace a file that has the output's name, and work on\n"
         "                         a file that has other names (hard links), which keep\n"
         "                         what it was\n"
         "  --ignore-name          decrypt or upgrade a .qz file although the name stored\n"
         "                         inside is not its own (a renamed file); the .qz is kept\n"
         "  --quiet                print failures only\n"
         "  --help                 show this text\n"
         "  --version              show the version\n"
         "\n"
         "Without a password option qzcrypt asks on the terminal (twice to encrypt); an\n"
         "empty entry there means the built-in default password, which anyone can use,\n"
         "for .qz files only: strong (.age) files have no default password, so upgrading\n"
         "files that use it needs --new-password-file or --generate-password. A password\n"
         "for .age files that is easy to guess is warned about on standard error.\n"
         "An empty password from a file or standard input is refused.\n"
         "Symbolic links, pipes and devices are never worked on; sub-folders are entered\n"
         "with --recursive only; the password's own file is left alone. Interrupted (Ctrl-C, SIGTERM,\n"
         "SIGHUP, SIGQUIT), qzcrypt stops the file in hand, keeps its source and ends by\n"
         "the signal. Exit status: 0 when every file succeeded, 1 when any failed, 2 for a\n"
         "usage error, 128 + the signal's number when interrupted.\n";
}

std::string VersionText() { return std::string("qzcrypt ") + QZCRYPT_VERSION; }

}  // namespace qzcli
