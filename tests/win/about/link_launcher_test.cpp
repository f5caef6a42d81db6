// Opening a URL when the shell cannot: the browser registered for ".htm" files, read
// from a class registry of the test's own; the registry reads; the error texts.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <string>

#include "hyperlink.h"
#include "link_test_support.h"

namespace {

constexpr char kUrl[] = "http://127.0.0.1:1/page";

class FallbackTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(classes_.ok()) << "HKEY_CLASSES_ROOT cannot be redirected";
    calls_.shellResult = SE_ERR_NOASSOC;
  }
  // Registers command as the way ".htm" files open.
  void RegisterBrowser(const char* command) {
    classes_.SetDefault(".htm", "qztest.htmlfile");
    classes_.SetDefault("qztest.htmlfile\\shell\\open\\command", command);
  }
  // The command line the fallback ran, "" when it ran none.
  std::string Launched(const char* url = kUrl) {
    calls_.exec.clear();
    INT_PTR result = CHyperLink::LaunchUrl(url, SW_SHOWMAXIMIZED);
    if (calls_.exec.empty()) return "";
    EXPECT_EQ(result, static_cast<INT_PTR>(calls_.execResult));
    EXPECT_EQ(calls_.exec[0].show, static_cast<UINT>(SW_SHOWMAXIMIZED));
    return calls_.exec[0].commandLine;
  }

  linktest::TestClassesRoot classes_;
  linktest::RecordedLinkCalls calls_;
};

TEST_F(FallbackTest, ShellSuccessNeedsNoRegistry) {
  RegisterBrowser("browser.exe %1");
  calls_.shellResult = 42;
  EXPECT_EQ(CHyperLink::LaunchUrl(kUrl, SW_SHOW), 42);
  EXPECT_TRUE(calls_.exec.empty());
}

TEST_F(FallbackTest, UrlReplacesThePlaceholderOrFollowsTheLine) {
  // A quoted placeholder after other arguments: cut at its opening quote.
  RegisterBrowser("\"C:\\Browser\\browser.exe\" -nohome \"%1\" -tail");
  EXPECT_EQ(Launched(), std::string("\"C:\\Browser\\browser.exe\" -nohome  ") + kUrl);
  // An unquoted one.
  RegisterBrowser("C:\\Browser\\browser.exe %1 -tail");
  EXPECT_EQ(Launched(), std::string("C:\\Browser\\browser.exe  ") + kUrl);
  // None at all.
  RegisterBrowser("C:\\Browser\\browser.exe -new-window");
  EXPECT_EQ(Launched(), std::string("C:\\Browser\\browser.exe -new-window ") + kUrl);
  // The quoted one wins over an earlier bare one.
  RegisterBrowser("browser.exe %1x \"%1\"");
  EXPECT_EQ(Launched(), std::string("browser.exe %1x  ") + kUrl);
}

TEST_F(FallbackTest, FailedCommandReportsItsOwnCode) {
  RegisterBrowser("browser.exe %1");
  calls_.execResult = ERROR_FILE_NOT_FOUND;
  EXPECT_EQ(CHyperLink::LaunchUrl(kUrl, SW_SHOW), ERROR_FILE_NOT_FOUND);
}

TEST_F(FallbackTest, MissingClassOrCommandReportsTheShellsCode) {
  EXPECT_EQ(CHyperLink::LaunchUrl(kUrl, SW_SHOW), SE_ERR_NOASSOC) << "no .htm key";
  classes_.SetDefault(".htm", nullptr);
  EXPECT_EQ(CHyperLink::LaunchUrl(kUrl, SW_SHOW), SE_ERR_NOASSOC) << ".htm without a class";
  classes_.SetDefault(".htm", "qztest.htmlfile");
  EXPECT_EQ(CHyperLink::LaunchUrl(kUrl, SW_SHOW), SE_ERR_NOASSOC) << "class without command";
  classes_.SetDefault("qztest.htmlfile\\shell\\open\\command", nullptr);
  classes_.SetNamed("qztest.htmlfile\\shell\\open\\command", "DelegateExecute", "x");
  EXPECT_EQ(CHyperLink::LaunchUrl(kUrl, SW_SHOW), SE_ERR_NOASSOC) << "command without default";
  EXPECT_TRUE(calls_.exec.empty());
}

TEST_F(FallbackTest, CommandLineThatCannotTakeTheUrlIsRefused) {
  const std::string command = "browser.exe " + std::string(200, 'a') + " ";
  RegisterBrowser(command.c_str());
  // Line, blank, URL and terminator in exactly 520 bytes: run.
  const size_t fits = CHyperLink::kCommandBufferSize - command.size() - 2;
  const std::string longest = "http://127.0.0.1/" + std::string(fits - 17, 'p');
  EXPECT_EQ(Launched(longest.c_str()), command + " " + longest);
  // One byte more: refused, nothing run.
  calls_.exec.clear();
  EXPECT_EQ(CHyperLink::LaunchUrl((longest + "p").c_str(), SW_SHOW), CHyperLink::kCommandTooLong);
  EXPECT_TRUE(calls_.exec.empty());
  // A URL longer than the whole buffer too.
  EXPECT_EQ(CHyperLink::LaunchUrl(std::string(2000, 'w').c_str(), SW_SHOW),
            CHyperLink::kCommandTooLong);
  EXPECT_TRUE(calls_.exec.empty());
}

TEST_F(FallbackTest, QueryClassKeyReadsOnlyARealDefaultValue) {
  char out[520];
  auto query = [&](const char* key) {
    std::memset(out, '#', sizeof(out));
    return CHyperLink::QueryClassKey(HKEY_CLASSES_ROOT, key, out, sizeof(out));
  };
  classes_.SetDefault("qztest.plain", "value");
  EXPECT_EQ(query("qztest.plain"), ERROR_SUCCESS);
  EXPECT_STREQ(out, "value");

  EXPECT_EQ(query("qztest.absent"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(out[0], '#');

  classes_.SetNamed("qztest.nodefault", "other", "value");
  EXPECT_NE(query("qztest.nodefault"), ERROR_SUCCESS);
  EXPECT_EQ(out[0], '#') << "no unfilled buffer handed back";

  const std::string tooLong(300, 'v');  // more than the 260-byte read buffer
  classes_.SetDefault("qztest.long", tooLong.c_str());
  EXPECT_NE(query("qztest.long"), ERROR_SUCCESS);
  EXPECT_EQ(out[0], '#');

  char small[4];
  EXPECT_NE(CHyperLink::QueryClassKey(HKEY_CLASSES_ROOT, "qztest.plain", small, sizeof(small)),
            ERROR_SUCCESS);
}

TEST(OpenErrorTest, EveryCodeHasItsReason) {
  linktest::RecordedBoxes boxes;
  CHyperLink::ShowOpenError(SE_ERR_FNF);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Can't open link:\n\nThe specified file was not found.");
  EXPECT_EQ(boxes.boxes[0].type, static_cast<UINT>(MB_ICONEXCLAMATION));

  // The reasons whose form is easy to get wrong: code 0, a trailing blank, three lines,
  // and codes without a reason of their own.
  const struct {
    int code;
    const char* reason;
  } reasons[] = {
      {0, "The operating system is out\nof memory or resources."},
      {26, "A sharing violation occurred. "},
      {30, "The DDE transaction could not\nbe completed because other DDE transactions\nwere "
           "being processed."},
      {1, "Unknown Error (1) occurred."},
      {-7, "Unknown Error (-7) occurred."},
  };
  for (const auto& r : reasons) EXPECT_EQ(CHyperLink::OpenErrorText(r.code), r.reason) << r.code;
  EXPECT_NE(CHyperLink::OpenErrorText(CHyperLink::kCommandTooLong).find("too long"),
            std::string::npos);
}

TEST_F(FallbackTest, OverlongLinkShowsItsRefusal) {
  RegisterBrowser((std::string(250, 'b') + " %1").c_str());
  linktest::RecordedBoxes boxes;
  CHyperLink link;  // never attached: opening needs no window
  link.m_strURL = "http://127.0.0.1/" + std::string(300, 'q');
  link.OpenLink();
  EXPECT_FALSE(link.m_bVisited);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text,
            "Can't open link:\n\n" + CHyperLink::OpenErrorText(CHyperLink::kCommandTooLong));
  EXPECT_TRUE(calls_.exec.empty());
}

}  // namespace
