// The rules one command follows, through the operations layer with a scripted front end:
// what is asked and when, what a batch counts, and that every file stays intact when the
// user declines.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "age/strong_file.h"
#include "command_plan.h"
#include "file_session.h"
#include "qz/default_password.h"
#include "test_password.h"
#include "test_support.h"

namespace {

using qz::test::Bytes;
using qz::test::ReadFile;
using qz::test::ScratchDir;
using qz::test::WriteFile;
using qzops::Answer;
using qzops::FileCommand;
using qzops::FileSession;
using qzops::Notice;
using qzops::PasswordUse;
using qzops::Question;
using Strings = std::vector<std::string>;

// A scripted answer to a password prompt.
struct Typed {
  std::string qz, strong;
  bool strongFiles = false;
  bool wholeTree = false;  // ticked where the prompt offers it
};

qzops::SessionSettings QuickSettings(const qz::CancelToken* cancel) {
  qzops::SessionSettings settings;
  settings.workFactor = 10;  // strong files quickly
  settings.cancel = cancel;
  return settings;
}

// Answers from a script and writes down, in order, everything the session did with it.
class ScriptedFrontEnd : public qzops::FrontEnd {
 public:
  std::deque<Typed> passwords;           // each prompt takes the next; none left: cancelled
  std::deque<bool> answers;                // each question takes the next
  std::deque<std::string> newPasswords;    // an upgrade's own strong passwords, likewise
  std::map<Question, Answer> presets;
  Strings log;
  std::vector<qzops::FileReport> reports;
  int unopened = -1;
  qzops::SessionSettings settings = QuickSettings(&cancel);

  bool AskEncryptionPassword(qzops::Passwords* out) override { return Next("encryption password", out); }
  bool AskDecryptionPassword(PasswordUse use, qzops::Passwords* out) override {
    return Next("decryption password " + std::to_string(static_cast<int>(use)), out);
  }
  bool AskNewStrongPassword(qz::Secret* out) override {
    log.push_back("new strong password");
    if (newPasswords.empty()) return false;
    *out = Pw(newPasswords.front());
    newPasswords.pop_front();
    return true;
  }
  bool OfferWholeTree() override { return offerTree; }
  std::function<void(std::size_t)> BeginSearch(const std::string&) override { return onFound; }
  Answer Preset(Question question) override {
    auto at = presets.find(question);
    return at == presets.end() ? Answer::kAsk : at->second;
  }
  bool Confirm(Question question, const std::string& subject) override {
    log.push_back("ask " + std::to_string(static_cast<int>(question)) + " " + subject);
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected question " << log.back();
      return false;
    }
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void Tell(Notice notice, const std::string& subject, int count) override {
    log.push_back("tell " + std::to_string(static_cast<int>(notice)) + " " + Base(subject) + " " +
                  std::to_string(count));
  }
  std::uint64_t SizeHint(const std::string&) override { return 0; }
  qz::ProgressSink* BeginProgress(const std::string&, std::uint64_t) override {
    ++openProgress;
    return nullptr;
  }
  void Perform(const std::function<void()>& work) override {
    ++performs;
    if (cancelFrom > 0 && performs >= cancelFrom) cancel.Request();
    work();
    cancel.Reset();
    --openProgress;  // a progress begun ends with its engine call
  }
  void BatchBegan(const Strings& paths) override { batchSize = paths.size(); }
  void BatchFileBegan(std::size_t index) override { batchFiles.push_back(index); }
  void Finished(const qzops::FileReport& report) override {
    log.push_back("finished " + Base(report.path) + (report.inBatch ? " in batch" : ""));
    reports.push_back(report);
  }
  void BatchEnded(int count) override {
    log.push_back("batch ended " + std::to_string(count));
    unopened = count;
  }

  static std::string Base(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }
  int openProgress = 0;
  int performs = 0;    // engine calls
  int cancelFrom = 0;  // the engine call (from 1) from which on the user has cancelled; 0: never
  qz::CancelToken cancel;
  std::size_t batchSize = 0;
  std::vector<std::size_t> batchFiles;
  bool offerTree = false;
  std::function<void(std::size_t)> onFound;

 private:
  bool Next(const std::string& what, qzops::Passwords* out) {
    log.push_back(what);
    if (passwords.empty()) return false;
    out->qz = Pw(passwords.front().qz);
    out->strong = Pw(passwords.front().strong);
    out->strongFiles = passwords.front().strongFiles;
    out->wholeTree = passwords.front().wholeTree;
    passwords.pop_front();
    return true;
  }
};

Typed Qz(const std::string& password) { return {password, std::string(), false}; }
Typed Strong(const std::string& password) { return {std::string(), password, true}; }

// An encryption or decryption run on its own, with one password.
void RunAlone(FileCommand command, const std::string& path, const Typed& password) {
  ScriptedFrontEnd ui;
  ui.passwords = {password};
  FileSession session(ui, ui.settings);
  session.Run(command, path);
  ASSERT_EQ(ui.reports.size(), 1u) << path;
}

const std::string kAsk = "ask ";
std::string Ask(Question question, const std::string& subject) {
  return kAsk + std::to_string(static_cast<int>(question)) + " " + subject;
}
std::string Tell(Notice notice, const std::string& subject, int count = 0) {
  return "tell " + std::to_string(static_cast<int>(notice)) + " " + subject + " " + std::to_string(count);
}

TEST(FileSessionTest, SingleFilesAskTheirOwnPasswordAndReplaceOnlyWithConsent) {
  ScratchDir dir;
  const Bytes plain = qz::test::RandomBytes(3000, 1), older = qz::test::RandomBytes(40, 2);
  WriteFile(dir / "a.txt", plain);
  WriteFile(dir / "a.txt.qz", older);
  {
    // "No" to replacing leaves both files as they were and reports nothing.
    ScriptedFrontEnd ui;
    ui.passwords = {Qz("pw")};
    ui.answers = {false};
    FileSession session(ui, ui.settings);
    session.Encrypt(dir / "a.txt");
    EXPECT_EQ(ui.log, (Strings{"encryption password", Ask(Question::kReplace, "a.txt.qz")}));
    EXPECT_EQ(ReadFile(dir / "a.txt"), plain);
    EXPECT_EQ(ReadFile(dir / "a.txt.qz"), older);
    EXPECT_EQ(ui.openProgress, 0);
  }
  {
    ScriptedFrontEnd ui;
    ui.passwords = {Qz("pw")};
    ui.answers = {true};
    FileSession session(ui, ui.settings);
    session.Encrypt(dir / "a.txt");
    EXPECT_EQ(ui.log, (Strings{"encryption password", Ask(Question::kReplace, "a.txt.qz"), "finished a.txt"}));
    ASSERT_EQ(ui.reports.size(), 1u);
    EXPECT_EQ(ui.reports[0].encrypt.outcome, qz::Outcome::kDone);
    EXPECT_EQ(dir.List(), Strings{"a.txt.qz"});
  }
  {
    // A second command asks again: no password outlives its session.
    ScriptedFrontEnd ui;
    ui.passwords = {Qz("pw")};
    FileSession session(ui, ui.settings);
    session.Decrypt(dir / "a.txt.qz");
    EXPECT_EQ(ui.log, (Strings{"decryption password 0", "finished a.txt.qz"}));
    EXPECT_EQ(ReadFile(dir / "a.txt"), plain);
  }
  {
    // A cancelled prompt ends the command quietly; a decryption of a plain file fails as
    // the engine would refuse it.
    ScriptedFrontEnd ui;
    FileSession session(ui, ui.settings);
    session.Encrypt(dir / "a.txt");
    ui.passwords = {Qz("pw")};
    session.Decrypt(dir / "a.txt");
    EXPECT_EQ(ui.log, (Strings{"encryption password", "decryption password 0", "finished a.txt"}));
    ASSERT_EQ(ui.reports.size(), 1u);
    EXPECT_EQ(ui.reports[0].decrypt.outcome, qz::Outcome::kFailed);
    EXPECT_EQ(ui.reports[0].decrypt.step, qz::DecryptStep::kNotEncryptedName);
    EXPECT_EQ(ReadFile(dir / "a.txt"), plain);
  }
}

TEST(FileSessionTest, PresetAnswersAreNeverAskedAndADeclinedPresetIsReported) {
  // qzcrypt's way: its options answer before anything runs.
  ScratchDir dir;
  const Bytes plain = qz::test::RandomBytes(100, 3), older = qz::test::RandomBytes(10, 4);
  WriteFile(dir / "b.txt", plain);
  WriteFile(dir / "b.txt.qz", older);
  ScriptedFrontEnd ui;
  ui.presets = {{Question::kReplace, Answer::kNo}};
  ui.passwords = {Qz("pw"), Qz("pw")};
  FileSession session(ui, ui.settings);
  session.Encrypt(dir / "b.txt");
  ASSERT_EQ(ui.reports.size(), 1u);
  EXPECT_EQ(ui.reports[0].encrypt.step, qz::EncryptStep::kDestinationExists);
  EXPECT_EQ(ReadFile(dir / "b.txt.qz"), older);
  ui.presets[Question::kReplace] = Answer::kYes;
  session.Encrypt(dir / "b.txt");
  ASSERT_EQ(ui.reports.size(), 2u);
  EXPECT_EQ(ui.reports[1].encrypt.outcome, qz::Outcome::kDone);
  EXPECT_EQ(dir.List(), Strings{"b.txt.qz"});
  for (const std::string& line : ui.log) EXPECT_NE(line.rfind(kAsk, 0), 0u) << line;
}

TEST(FileSessionTest, AnotherStoredNameIsAskedOutsideABatchAndCountedInsideOne) {
  ScratchDir dir;
  const Bytes plain = qz::test::RandomBytes(500, 5);
  WriteFile(dir / "orig.txt", plain);
  RunAlone(FileCommand::kEncrypt, dir / "orig.txt", Qz("secret"));
  ASSERT_EQ(::rename((dir / "orig.txt.qz").c_str(), (dir / "moved.txt.qz").c_str()), 0);
  const Bytes encrypted = ReadFile(dir / "moved.txt.qz");
  {
    ScriptedFrontEnd ui;
    ui.passwords = {Qz("secret")};
    ui.answers = {false};
    FileSession session(ui, ui.settings);
    session.Decrypt(dir / "moved.txt.qz");
    EXPECT_EQ(ui.log, (Strings{"decryption password 0", Ask(Question::kOtherName, "orig.txt")}));
    EXPECT_EQ(dir.List(), Strings{"moved.txt.qz"});
  }
  {
    // In a batch the question is never put: the file counts as not opened.
    ScriptedFrontEnd ui;
    ui.passwords = {Qz("secret")};
    FileSession session(ui, ui.settings);
    session.RunFiles({dir / "moved.txt.qz"}, FileCommand::kDecrypt);
    EXPECT_EQ(ui.log, (Strings{"decryption password 0", "batch ended 1"}));
    EXPECT_EQ(ReadFile(dir / "moved.txt.qz"), encrypted);
  }
  {
    // Taken all the same, the ".qz" stays beside its output.
    ScriptedFrontEnd ui;
    ui.passwords = {Qz("secret")};
    ui.answers = {true};
    FileSession session(ui, ui.settings);
    session.Decrypt(dir / "moved.txt.qz");
    EXPECT_EQ(ui.log, (Strings{"decryption password 0", Ask(Question::kOtherName, "orig.txt"), "finished moved.txt.qz"}));
    EXPECT_EQ(ReadFile(dir / "moved.txt"), plain);
    EXPECT_EQ(ReadFile(dir / "moved.txt.qz"), encrypted);
  }
}

TEST(FileSessionTest, ABatchAsksOnePasswordAndOneReplaceAndCountsWhatItLeaves) {
  ScratchDir dir;
  const std::string folder = dir.path() + "/";
  for (const char* name : {"k1.txt", "k2.txt", "k3.txt"}) WriteFile(folder + name, qz::test::RandomBytes(64, 6));
  RunAlone(FileCommand::kEncrypt, folder + "k3.txt", Qz("other"));
  const Bytes taken = qz::test::RandomBytes(9, 7), plainR = qz::test::RandomBytes(30, 12);
  WriteFile(folder + "k1.txt.qz", taken);
  ASSERT_EQ(::symlink("k2.txt", (folder + "link.txt").c_str()), 0);
  ASSERT_EQ(::mkfifo((folder + "pipe.txt").c_str(), 0600), 0);
  WriteFile(folder + "~qz1a2b3c.tmp", Bytes{1});
  {
    // Encrypting a folder that holds encrypted files asks first; "no" stops everything.
    ScriptedFrontEnd ui;
    FileSession session(ui, ui.settings);
    ui.answers = {false};
    EXPECT_FALSE(session.RunFolder(folder, FileCommand::kEncrypt));
    EXPECT_EQ(ui.log, Strings{Ask(Question::kFolderHasEncrypted, folder)});
  }
  ScriptedFrontEnd ui;
  FileSession session(ui, ui.settings);
  // "No" to the one replace question holds for the whole batch.
  ui.passwords = {Qz("pw")};
  ui.answers = {true, false};
  ASSERT_TRUE(session.RunFolder(folder, FileCommand::kEncrypt));
  EXPECT_EQ(ui.log[0], Ask(Question::kFolderHasEncrypted, folder));
  EXPECT_EQ(std::count(ui.log.begin(), ui.log.end(), "encryption password"), 1);
  EXPECT_EQ(std::count(ui.log.begin(), ui.log.end(), Ask(Question::kReplace, "k1.txt.qz")), 1);
  EXPECT_EQ(ui.log.back(), Tell(Notice::kUnfinishedFiles, "", 1));
  EXPECT_EQ(ui.log[ui.log.size() - 2], "batch ended 0");
  EXPECT_EQ(session.LinksLeft(), 1);
  EXPECT_EQ(session.OthersLeft(), 1);
  EXPECT_EQ(ReadFile(folder + "k1.txt.qz"), taken);
  EXPECT_EQ(dir.List(), (Strings{"k1.txt", "k1.txt.qz", "k2.txt.qz", "k3.txt.qz", "link.txt", "pipe.txt", "~qz1a2b3c.tmp"}));

  // Decrypting: the file of another password counts as not opened, once, at the end.
  ASSERT_EQ(::unlink((folder + "k1.txt.qz").c_str()), 0);
  ui.log.clear();
  ui.passwords = {Qz("pw")};
  ui.answers = {true};
  ASSERT_TRUE(session.RunFolder(folder, FileCommand::kDecrypt));
  EXPECT_EQ(ui.unopened, 1);
  EXPECT_TRUE(std::find(ui.log.begin(), ui.log.end(), "finished k2.txt.qz in batch") != ui.log.end());
  EXPECT_EQ(ScriptedFrontEnd::Base(ui.reports.back().path), "k2.txt.qz");
  EXPECT_EQ(dir.List(), (Strings{"k1.txt", "k2.txt", "k3.txt.qz", "link.txt", "pipe.txt", "~qz1a2b3c.tmp"}));

  // One "no" to replacing holds for every taken name of the list.
  const Bytes r1 = qz::test::RandomBytes(5, 10), r2 = qz::test::RandomBytes(6, 11);
  WriteFile(folder + "r1.txt", plainR);
  WriteFile(folder + "r2.txt", plainR);
  WriteFile(folder + "r1.txt.qz", r1);
  WriteFile(folder + "r2.txt.qz", r2);
  ui.log.clear();
  ui.passwords = {Qz("pw")};
  ui.answers = {false};
  session.RunFiles({folder + "r1.txt", folder + "r2.txt"}, FileCommand::kEncrypt);
  EXPECT_EQ(ui.log, (Strings{"encryption password", Ask(Question::kReplace, "r1.txt.qz"), "batch ended 0"}));
  EXPECT_EQ(ReadFile(folder + "r1.txt.qz"), r1);
  EXPECT_EQ(ReadFile(folder + "r2.txt.qz"), r2);
  EXPECT_EQ(ReadFile(folder + "r2.txt"), plainR);

  // In a list of files a password shorter than two bytes is asked for again, file by file.
  ui.log.clear();
  ui.passwords = {Qz("x"), Qz("pw")};
  session.RunFiles({folder + "k1.txt", folder + "k2.txt"}, FileCommand::kEncrypt);
  EXPECT_EQ(ui.log, (Strings{"encryption password", "finished k1.txt in batch", "encryption password",
                             "finished k2.txt in batch", "batch ended 0"}));
  RunAlone(FileCommand::kDecrypt, folder + "k1.txt.qz", Qz("x"));
  RunAlone(FileCommand::kDecrypt, folder + "k2.txt.qz", Qz("pw"));
}

TEST(FileSessionTest, LinksAreLeftAndOtherNamesNeedConsent) {
  ScratchDir dir;
  const Bytes plain = qz::test::RandomBytes(200, 8);
  WriteFile(dir / "h.txt", plain);
  ASSERT_EQ(::link((dir / "h.txt").c_str(), (dir / "h2.txt").c_str()), 0);
  ASSERT_EQ(::symlink("h.txt", (dir / "s.txt").c_str()), 0);
  ScriptedFrontEnd ui;
  FileSession session(ui, ui.settings);
  session.Encrypt(dir / "s.txt");  // a link: told, and no password asked
  ui.passwords = {Qz("pw"), Qz("pw")};
  ui.answers = {false, true};
  session.Encrypt(dir / "h.txt");
  EXPECT_EQ(dir.List(), (Strings{"h.txt", "h2.txt", "s.txt"}));
  session.Encrypt(dir / "h.txt");
  EXPECT_EQ(ui.log, (Strings{Tell(Notice::kLink, "s.txt"), "encryption password",
                             Ask(Question::kEncryptOtherLinks, "h.txt"), "encryption password",
                             Ask(Question::kEncryptOtherLinks, "h.txt"), "finished h.txt"}));
  EXPECT_EQ(ReadFile(dir / "h2.txt"), plain);
  EXPECT_EQ(dir.List(), (Strings{"h.txt.qz", "h2.txt", "s.txt"}));

  // In a list of files a link is counted for the closing message, not told.
  ui.log.clear();
  session.RunFiles({dir / "s.txt"}, FileCommand::kDecrypt);
  EXPECT_EQ(ui.log, (Strings{"batch ended 0"}));
  EXPECT_EQ(session.LinksLeft(), 1);

  // A front end that lists no links leaves one that appears to the engine, which refuses
  // to open it.
  ui.log.clear();
  ui.settings.leaveLinks = false;
  ui.passwords = {Qz("pw")};
  FileSession(ui, ui.settings).Encrypt(dir / "s.txt");
  EXPECT_EQ(ui.log, (Strings{"encryption password", "finished s.txt"}));
  ASSERT_EQ(ui.reports.size(), 2u);
  EXPECT_EQ(ui.reports[1].encrypt.outcome, qz::Outcome::kFailed);
  EXPECT_EQ(dir.List(), (Strings{"h.txt.qz", "h2.txt", "s.txt"}));
}

TEST(FileSessionTest, StrongFilesAndUpgradesTakeTheirOwnPasswordForms) {
  ScratchDir dir;
  const Bytes plain = qz::test::RandomBytes(700, 9);
  WriteFile(dir / "c.txt", plain);
  RunAlone(FileCommand::kEncrypt, dir / "c.txt", Strong("strong pw"));
  EXPECT_EQ(dir.List(), Strings{"c.txt.age"});
  {
    ScriptedFrontEnd ui;
    ui.passwords = {Strong("strong pw")};
    FileSession session(ui, ui.settings);
    session.Upgrade(dir / "c.txt.age");  // only ".qz" files: nothing asked
    session.Decrypt(dir / "c.txt.age");
    EXPECT_EQ(ui.log, (Strings{Tell(Notice::kNotQz, "c.txt.age"), "decryption password 1", "finished c.txt.age"}));
    EXPECT_EQ(ReadFile(dir / "c.txt"), plain);
  }
  RunAlone(FileCommand::kEncrypt, dir / "c.txt", Qz("both"));
  ScriptedFrontEnd ui;
  ui.passwords = {{"both", "both", false}};
  FileSession session(ui, ui.settings);
  session.Upgrade(dir / "c.txt.qz");
  EXPECT_EQ(ui.log, (Strings{"decryption password 3", "finished c.txt.qz"}));
  EXPECT_EQ(dir.List(), Strings{"c.txt.age"});
  RunAlone(FileCommand::kDecrypt, dir / "c.txt.age", Strong("both"));
  EXPECT_EQ(ReadFile(dir / "c.txt"), plain);

  EXPECT_EQ(qzops::PasswordUseOf(FileCommand::kDecrypt, false, {"a.qz", "b.age"}), PasswordUse::kBothKinds);
  EXPECT_EQ(qzops::PasswordUseOf(FileCommand::kDecrypt, false, {"b.AGE"}), PasswordUse::kStrongFiles);
  EXPECT_EQ(qzops::PasswordUseOf(FileCommand::kDecrypt, false, {"a.qz"}), PasswordUse::kQzFiles);
  EXPECT_FALSE(qzops::TakesName(FileCommand::kUpgrade, "x.age"));
  EXPECT_TRUE(qzops::TakesName(FileCommand::kUpgrade, "x.qz"));
}

TEST(FileSessionTest, AnUpgradeGivesAStrongFileItsOwnPasswordInPlaceOfTheDefault) {
  ScratchDir dir;
  const std::string folder = dir.path() + "/", kDefault = qz::kDefaultPassword;
  const Bytes plain = qz::test::RandomBytes(900, 40);
  for (const std::string name : {"d1.txt", "d2.txt", "w.txt"}) {
    WriteFile(folder + name, plain);
    RunAlone(FileCommand::kEncrypt, folder + name, Qz(name == "w.txt" ? "other" : kDefault));
  }
  const Bytes qz = ReadFile(folder + "d1.txt.qz");
  const struct {
    std::string name, strong;  // an empty entry (the window) or the default typed
    Strings log;
  } alone[] = {{"d1.txt.qz", "", {"decryption password 3", "new strong password"}},
               {"w.txt.qz", kDefault, {"decryption password 3", "finished w.txt.qz"}}};
  for (const auto& one : alone) {
    // No answer ends the file quietly; one the default does not open is refused unasked.
    ScriptedFrontEnd ui;
    ui.passwords = {{kDefault, one.strong, false}};
    FileSession session(ui, ui.settings);
    session.Upgrade(folder + one.name);
    EXPECT_EQ(ui.log, one.log);
    for (const auto& report : ui.reports) EXPECT_EQ(report.decrypt.step, qz::DecryptStep::kWrongPassword);
  }
  EXPECT_EQ(ReadFile(folder + "d1.txt.qz"), qz);

  // A batch asks once, after the file the default does not open.
  ScriptedFrontEnd ui;
  ui.passwords = {{kDefault, kDefault, false}};
  ui.newPasswords = {"new pw", "second"};
  FileSession session(ui, ui.settings);
  session.RunFiles({folder + "w.txt.qz", folder + "d1.txt.qz", folder + "d2.txt.qz"}, FileCommand::kUpgrade);
  EXPECT_EQ(ui.log, (Strings{"decryption password 3", "new strong password", "finished d1.txt.qz in batch",
                             "finished d2.txt.qz in batch", "batch ended 1"}));
  EXPECT_EQ(dir.List(), (Strings{"d1.txt.age", "d2.txt.age", "w.txt.qz"}));
  for (const std::string name : {"d1.txt", "d2.txt"}) {
    EXPECT_EQ(qz::CheckStrongPassword(folder + name + ".age", Pw(kDefault)), qz::DecryptStep::kWrongPassword);
    RunAlone(FileCommand::kDecrypt, folder + name + ".age", Strong("new pw"));
    EXPECT_EQ(ReadFile(folder + name), plain);
  }
}

TEST(FileSessionTest, ACancelLeavesTheFileInHandAndEndsTheBatchAndTheSessionsWork) {
  ScratchDir dir;
  const std::string folder = dir.path() + "/";
  const Strings names = {"n1.txt", "n2.txt", "n3.txt", "n4.txt"};
  std::map<std::string, Bytes> plain;
  for (size_t i = 0; i < names.size(); ++i) {
    plain[names[i]] = qz::test::RandomBytes(3000 + i, 20 + static_cast<int>(i));
    WriteFile(folder + names[i], plain[names[i]]);
  }
  {
    // Cancelled during the second file: the first stays encrypted, the rest as they were,
    // and a later batch of the same session does not start.
    ScriptedFrontEnd ui;
    ui.passwords = {Qz("pw")};
    ui.cancelFrom = 2;
    FileSession session(ui, ui.settings);
    Strings paths;
    for (const std::string& name : names) paths.push_back(folder + name);
    session.RunFiles(paths, FileCommand::kEncrypt);
    EXPECT_EQ(ui.log, (Strings{"encryption password", "finished n1.txt in batch", "finished n2.txt in batch",
                               "batch ended 0"}));
    ASSERT_EQ(ui.reports.size(), 2u);
    EXPECT_FALSE(ui.reports[0].Cancelled());
    EXPECT_TRUE(ui.reports[1].Cancelled());
    EXPECT_EQ(ui.batchSize, 4u);
    EXPECT_EQ(ui.batchFiles, (std::vector<std::size_t>{0, 1}));
    EXPECT_TRUE(session.Cancelled());
    EXPECT_EQ(dir.List(), (Strings{"n1.txt.qz", "n2.txt", "n3.txt", "n4.txt"}));
    for (size_t i = 1; i < names.size(); ++i) EXPECT_EQ(ReadFile(folder + names[i]), plain[names[i]]);
    ui.log.clear();
    session.RunFiles({folder + "n3.txt"}, FileCommand::kEncrypt);
    EXPECT_EQ(ui.log, Strings{});
    RunAlone(FileCommand::kDecrypt, folder + "n1.txt.qz", Qz("pw"));
  }
  // Each kind of file cancelled alone: reported as cancelled, nothing written, the source
  // kept byte for byte (a strong file's key step comes before the first block).
  RunAlone(FileCommand::kEncrypt, folder + "n2.txt", Strong("strong pw"));
  RunAlone(FileCommand::kEncrypt, folder + "n3.txt", Qz("pw"));
  const Bytes age = ReadFile(folder + "n2.txt.age"), qz = ReadFile(folder + "n3.txt.qz");
  const struct {
    FileCommand command;
    std::string name;
    Typed password;
  } cases[] = {{FileCommand::kEncrypt, "n1.txt", Strong("strong pw")},
               {FileCommand::kEncrypt, "n4.txt", Qz("pw")},
               {FileCommand::kDecrypt, "n2.txt.age", Strong("strong pw")},
               {FileCommand::kDecrypt, "n3.txt.qz", Qz("pw")},
               {FileCommand::kUpgrade, "n3.txt.qz", {"pw", "pw", false}}};
  for (const auto& one : cases) {
    ScriptedFrontEnd ui;
    ui.passwords = {one.password};
    ui.cancelFrom = 1;
    FileSession session(ui, ui.settings);
    session.Run(one.command, folder + one.name);
    ASSERT_EQ(ui.reports.size(), 1u) << one.name;
    EXPECT_TRUE(ui.reports[0].Cancelled()) << one.name;
    EXPECT_TRUE(session.Cancelled());
    EXPECT_EQ(dir.List(), (Strings{"n1.txt", "n2.txt.age", "n3.txt.qz", "n4.txt"})) << one.name;
  }
  EXPECT_EQ(ReadFile(folder + "n1.txt"), plain["n1.txt"]);
  EXPECT_EQ(ReadFile(folder + "n4.txt"), plain["n4.txt"]);
  EXPECT_EQ(ReadFile(folder + "n2.txt.age"), age);
  EXPECT_EQ(ReadFile(folder + "n3.txt.qz"), qz);
}

}  // namespace

TEST(FileSessionTest, AWholeTreeIsSearchedFirstNeverThroughLinksAndCountsWhatItCannotRead) {
  ScratchDir dir;
  const std::string folder = dir.path() + "/";
  for (const char* sub : {"a", "a/b", "a/b/c", "gone"}) ASSERT_EQ(::mkdir((folder + sub).c_str(), 0700), 0);
  const Strings names = {"top.txt", "a/one.txt", "a/b/two.txt", "a/b/c/three.txt"};
  const Bytes content = qz::test::RandomBytes(100, 20);
  for (const std::string& name : names) WriteFile(folder + name, content);
  ASSERT_EQ(::symlink("..", (folder + "a/b/up").c_str()), 0);  // to its own parent
  const auto encrypted = [&] {
    int count = 0;
    for (const std::string& name : names) count += ::access((folder + name + ".qz").c_str(), F_OK) == 0;
    return count;
  };
  // Runs the folder's command; found is told each count the search finds.
  const auto run = [&](FileCommand command, bool wholeTree, int cancelFrom,
                       const std::function<void(ScriptedFrontEnd&)>& found) {
    ScriptedFrontEnd ui;
    ui.offerTree = true;
    ui.passwords = {Qz("pw")};
    ui.passwords.front().wholeTree = wholeTree;
    ui.answers = {true, true};
    ui.cancelFrom = cancelFrom;
    ui.onFound = [&](std::size_t) { if (found) found(ui); };
    FileSession session(ui, ui.settings);
    const bool ran = session.RunFolder(folder, command);
    return std::make_tuple(ran, ui.batchSize, session.LinksLeft(), session.UnreadableFolders(),
                           session.FirstUnreadableFolder());
  };
  // Unticked: the folder's own files only, as ever.
  EXPECT_TRUE(std::get<0>(run(FileCommand::kEncrypt, false, 0, nullptr)));
  EXPECT_EQ(encrypted(), 1);
  // A cancel during the search changes nothing; one during the work keeps the rest whole.
  EXPECT_FALSE(std::get<0>(run(FileCommand::kEncrypt, true, 0, [](ScriptedFrontEnd& ui) { ui.cancel.Request(); })));
  EXPECT_EQ(encrypted(), 1);
  EXPECT_TRUE(std::get<0>(run(FileCommand::kEncrypt, true, 3, nullptr)));
  EXPECT_EQ(encrypted(), 2);
  // The link is left, and a folder that cannot be listed (gone once found) is counted.
  const auto done =
      run(FileCommand::kEncrypt, true, 0, [&](ScriptedFrontEnd&) { ::rmdir((folder + "gone").c_str()); });
  EXPECT_EQ(done, std::make_tuple(true, std::size_t{2}, 1, 1, folder + "gone"));
  EXPECT_EQ(encrypted(), 4);
  EXPECT_TRUE(std::get<0>(run(FileCommand::kDecrypt, true, 0, nullptr)));
  for (const std::string& name : names) EXPECT_EQ(ReadFile(folder + name), content) << name;
}

// Picked folders join the command's own batch with their trees only when the first prompt's
// box is ticked; unticked, they are told as left once that prompt is answered.
TEST(FileSessionTest, PickedFoldersJoinWithTheirTreesWhenTheFirstPromptSaysSo) {
  ScratchDir dir;
  const std::string root = dir.path() + "/";
  for (const char* sub : {"f", "f/g"}) ASSERT_EQ(::mkdir((root + sub).c_str(), 0700), 0);
  const Bytes content = qz::test::RandomBytes(100, 21);
  for (const char* name : {"a.txt", "b.txt", "f/in.txt", "f/g/deep.txt", "f/old.txt"}) WriteFile(root + name, content);
  const auto run = [&](FileCommand command, const Strings& picked, std::deque<Typed> passwords,
                       std::deque<bool> answers, bool cancelSearch = false) {
    ScriptedFrontEnd ui;
    ui.offerTree = true;
    ui.passwords = std::move(passwords);
    ui.answers = std::move(answers);
    ui.onFound = [&](std::size_t) { if (cancelSearch) ui.cancel.Request(); };
    Strings paths;
    for (const std::string& name : picked) paths.push_back(root + name);
    qzops::PickPlan plan = qzops::PlanPicked(command, paths);
    FileSession session(ui, ui.settings);
    ui.log.push_back(session.RunPicked(plan, command) ? "ran" : "stopped");
    return ui.log;
  };
  const auto exists = [&](const std::string& name) { return ::access((root + name).c_str(), F_OK) == 0; };
  Typed ticked = Qz("pw");
  ticked.wholeTree = true;
  run(FileCommand::kEncrypt, {"f/old.txt"}, {Qz("pw")}, {});
  // Unticked: the folder is left, and said so once the password is in.
  EXPECT_EQ(run(FileCommand::kEncrypt, {"a.txt", "f"}, {Qz("pw")}, {}),
            (Strings{"encryption password", "tell 4  1", "finished a.txt in batch", "batch ended 0", "ran"}));
  EXPECT_TRUE(exists("f/in.txt"));
  // A cancel during the search changes nothing.
  EXPECT_EQ(run(FileCommand::kDecrypt, {"a.txt.qz", "f"}, {ticked}, {}, true),
            (Strings{"decryption password 0", "stopped"}));
  EXPECT_TRUE(exists("a.txt.qz"));
  // Ticked on the first prompt of a mixed pick: the tree's ".qz" joins the decryption
  // batch, one password for all; its plain files are asked about and left.
  EXPECT_EQ(run(FileCommand::kDecrypt, {"b.txt", "a.txt.qz", "f"}, {ticked, Qz("pw")}, {true}),
            (Strings{"encryption password", "ask 6 " + root + "f", "finished b.txt in batch", "batch ended 0",
                     "decryption password 0", "finished a.txt.qz in batch", "finished old.txt.qz in batch",
                     "batch ended 0", "ran"}));
  EXPECT_TRUE(exists("b.txt.qz") && exists("f/in.txt") && exists("f/old.txt"));
  EXPECT_EQ(ReadFile(root + "a.txt"), content);
  // Ticked on a decryption prompt: that batch runs first with its password, and the tree's
  // plain files get an encryption password of their own.
  const Strings log = run(FileCommand::kEncrypt, {"b.txt.qz", "f"}, {ticked, Qz("tree pw")}, {});
  EXPECT_EQ(Strings(log.begin(), log.begin() + 4),
            (Strings{"decryption password 0", "finished b.txt.qz in batch", "batch ended 0", "encryption password"}));
  EXPECT_EQ(log.back(), "ran");
  EXPECT_TRUE(exists("b.txt") && exists("f/g/deep.txt.qz") && exists("f/old.txt.qz"));
}
