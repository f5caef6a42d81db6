// libFuzzer target: arbitrary bytes as a strong (".age") file, binary or armored, with
// the seeds' password.
//
// Beyond "no crash, no sanitizer report" it checks what the reader promises:
// CheckStrongPassword and DecryptStrongFile agree, the verdict is one a reader may
// give, a refused file leaves no output, and an accepted binary file is exactly its
// header, nonce and chunks with nothing after the last; its plaintext comes back
// through a fresh encryption. Headers asking for more than 2^2 scrypt rounds are only
// judged, not opened: the fuzzer would spend its time in scrypt.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "age/age_header.h"
#include "age/age_payload.h"
#include "age/age_source.h"
#include "age/strong_file.h"
#include "fs/file_streams.h"
#include "fs/file_system.h"
#include "fuzz_files.h"

namespace {

constexpr char kPassword[] = "fuzz";  // the seeds' password
qz::Secret Password() { return qz::Secret(kPassword, sizeof kPassword - 1); }
constexpr int kMostRounds = 2;

using fuzz::Check;
using fuzz::ReadAll;
using fuzz::WorkDir;
using fuzz::WriteAll;

// The header as the reader sees it (armor removed), parsed.
qz::HeaderParse HeaderOf(const std::string& path, bool* armored) {
  qz::InputFile in;
  Check(in.Open(path), "cannot open the input");
  qz::AgeSource source(in);
  std::vector<std::uint8_t> start(64 * 1024);
  start.resize(source.Read(start.data(), start.size()));
  *armored = source.armored();
  return qz::ParseStrongHeader(start.data(), start.size());
}

void Remove(const std::string& path) {
  ::chmod(path.c_str(), 0600);
  ::unlink(path.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string agePath = WorkDir() + "/in.age";
  const std::string outPath = WorkDir() + "/out";
  const std::string againPath = WorkDir() + "/again.age";
  Check(WriteAll(agePath, data, size), "cannot write the input");

  bool armored = false;
  const qz::HeaderParse header = HeaderOf(agePath, &armored);
  if (header.verdict == qz::HeaderVerdict::kOk && header.header.logN > kMostRounds) {
    Remove(agePath);
    return 0;
  }

  qz::CipherOptions options;
  int found = -1;
  options.workFactorFound = &found;
  const qz::DecryptStep checked = qz::CheckStrongPassword(agePath, Password(), options);
  Check(checked == qz::DecryptStep::kOk || checked == qz::DecryptStep::kDamaged ||
            checked == qz::DecryptStep::kWrongPassword ||
            checked == qz::DecryptStep::kNotPassphraseFile ||
            checked == qz::DecryptStep::kWorkFactorTooLarge,
        "a verdict no reader may give");
  if (checked == qz::DecryptStep::kWorkFactorTooLarge) {
    Check(found > qz::kMaxStrongWorkFactor, "refused a work factor in range");
  }
  const qz::DecryptStep step = qz::DecryptStrongFile(agePath, outPath, Password(), options);
  Check(step == checked, "CheckStrongPassword and DecryptStrongFile disagree");

  if (step != qz::DecryptStep::kOk) {
    Check(!qz::PathExists(outPath), "a refused file left an output");
  } else {
    const std::vector<std::uint8_t> plain = ReadAll(outPath);
    if (!armored) {  // the layout is exact
      const std::size_t chunks = plain.empty() ? 1 : (plain.size() + qz::kChunkBytes - 1) / qz::kChunkBytes;
      Check(size == header.header.length + qz::kPayloadNonceBytes + plain.size() + 16 * chunks,
            "an accepted file is not exactly header, nonce and chunks");
    }
    options.workFactor = 1;
    Check(qz::EncryptStrongFile(outPath, againPath, Password(), options) == qz::EncryptStep::kOk,
          "re-encryption failed");
    Remove(outPath);
    Check(qz::DecryptStrongFile(againPath, outPath, Password(), options) == qz::DecryptStep::kOk,
          "a fresh encryption does not open");
    Check(ReadAll(outPath) == plain, "a fresh encryption gives other bytes");
    Remove(againPath);
    Remove(outPath);
  }
  Remove(agePath);
  return 0;
}
