// libFuzzer target: arbitrary bytes as a ".qz" file. The first byte picks the
// password and the buffer size; the rest is the file.
//
// Beyond "no crash, no sanitizer report" it checks what decryption promises:
// CheckPassword and DecryptFileData agree, a refused file leaves no output, an
// accepted one gives exactly size - 256 bytes, and enciphering those bytes again
// gives back the body.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fs/file_system.h"
#include "fuzz_files.h"
#include "qz/default_password.h"
#include "qz/file_cipher.h"
#include "qz/header.h"

namespace {

using fuzz::Check;
using fuzz::ReadAll;
using fuzz::WorkDir;
using fuzz::WriteAll;

qz::Secret PasswordFor(std::uint8_t selector) {
  switch (selector & 3) {
    case 0: return qz::Secret("fuzz", 4);  // the seeds' password
    case 1: return qz::DefaultPassword();
    case 2: return qz::Secret();
    default: {
      const std::string bytes(1 + (selector >> 2), static_cast<char>(selector | 0x80));
      return qz::Secret(bytes.data(), bytes.size());
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t selector = data[0];
  const std::uint8_t* file = data + 1;
  const std::size_t fileSize = size - 1;

  const std::string qzPath = WorkDir() + "/in.qz";
  const std::string outPath = WorkDir() + "/out";
  const std::string againPath = WorkDir() + "/again.qz";
  Check(WriteAll(qzPath, file, fileSize), "cannot write the input");

  qz::CipherOptions options;
  options.backend = &qz::PortableBackend();
  // Small and odd buffers too: block boundaries must never show.
  static const std::size_t kBuffers[] = {1000, 1, 7, 256, 4096, 65536};
  options.ioBufferBytes = kBuffers[(selector >> 2) % 6];
  options.sizeHint = fileSize;
  const qz::Secret password = PasswordFor(selector);

  const qz::DecryptStep checked = qz::CheckPassword(qzPath, password, options);
  if (fileSize < qz::kHeaderBytes) {
    // Damaged: refused rather than turned into an empty file.
    Check(checked == qz::DecryptStep::kReadHeader, "a file shorter than a header was accepted");
  } else {
    Check(checked == qz::DecryptStep::kOk || checked == qz::DecryptStep::kWrongPassword ||
              checked == qz::DecryptStep::kNameMismatch,
          "CheckPassword failed on a readable file");
  }
  const qz::DecryptStep step = qz::DecryptFileData(qzPath, outPath, password, options);
  Check(step == checked, "CheckPassword and DecryptFileData disagree");

  if (step != qz::DecryptStep::kOk) {
    Check(!qz::PathExists(outPath), "a refused file left an output");
  } else {
    const std::vector<std::uint8_t> plain = ReadAll(outPath);
    Check(plain.size() == fileSize - qz::kHeaderBytes, "output size is not input size - 256");
    options.headerName = "x";
    Check(qz::EncryptFileData(outPath, againPath, password, options) == qz::EncryptStep::kOk,
          "re-encryption failed");
    const std::vector<std::uint8_t> again = ReadAll(againPath);
    Check(again.size() == fileSize, "re-encrypted size differs");
    for (std::size_t i = qz::kHeaderBytes; i < fileSize; ++i) {
      Check(again[i] == file[i], "re-encrypted body differs");
    }
    ::unlink(againPath.c_str());
    ::unlink(outPath.c_str());
  }
  ::unlink(qzPath.c_str());
  return 0;
}
