// The kelnl program at a terminal: prompt, editing keys and history, driven through a real
// pseudo-terminal. What the commands print is the business of the interpreter and program tests.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "tests/support/test_files.h"
#include "tests/tools/pty_session.h"

namespace kelnl::testing {
namespace {

constexpr char kPrompt[] = "kelnl> ";
constexpr char kUp[] = "\x1b[A";
constexpr char kHome[] = "\x01";  // Ctrl-A: start of the line
constexpr char kErase[] = "\x7f";

class KelnlSession : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "pseudo-terminals are POSIX-only";
#endif
  }

  // A session whose history lives in the test's own home directory.
  void Start(PtySession& session) {
    ASSERT_TRUE(session.Start(KELNL_TOOL_PATH, {}, {"HOME=" + home_.path().string(), "TERM=xterm"}));
    ASSERT_TRUE(session.Expect("kelnl: enter help for a list of commands.")) << session.output();
  }

  // Keys typed before the prompt would reach a terminal not yet switched to editing: each input
  // waits for the prompt that follows the previous one's output, and a moment more, since the
  // prompt may show just before the switch.
  void Type(PtySession& session, const std::string& keys) {
    ASSERT_TRUE(session.Expect(kPrompt)) << session.output();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    session.Send(keys);
  }

  // Ctrl-D on an empty line ends the input; one that arrives during the switch to editing is
  // dropped by the terminal, so it is typed again until the program has ended.
  int EndOfInput(PtySession& session) {
    Type(session, "\x04");
    for (int attempt = 0; attempt < 10; ++attempt) {
      const int status = session.Wait(500);
      if (status != -1) return status;
      session.Send("\x04");
    }
    return -1;
  }

  void Leave(PtySession& session) {
    Type(session, "exit\r");
    EXPECT_EQ(session.Wait(), 0) << session.output();
  }

  TempDir home_;
};

TEST_F(KelnlSession, EditingKeysAndAHistoryKeptAcrossSessions) {
  {
    PtySession session;
    Start(session);
    Type(session, std::string("ersion") + kHome + "v\r");
    EXPECT_TRUE(session.Expect("kelnl 8.")) << "Ctrl-A moved to the start: " << session.output();
    Type(session, std::string("explain 859x") + kErase + "\r");
    EXPECT_TRUE(session.Expect("NL-00859: command not confirmed")) << session.output();
    Type(session, "explain 855\r");
    ASSERT_TRUE(session.Expect("only one modifier is allowed on a line")) << session.output();
    Type(session, "version\r");
    ASSERT_TRUE(session.Expect("kelnl 8.")) << session.output();
    Type(session, std::string(kUp) + kUp + "\r");
    EXPECT_TRUE(session.Expect("only one modifier is allowed on a line")) << "two lines back: " << session.output();
    EXPECT_EQ(EndOfInput(session), 0) << session.output();
  }
  PtySession next;
  Start(next);
  Type(next, std::string(kUp) + kUp + kUp + "\r");
  EXPECT_TRUE(next.Expect("only one modifier is allowed on a line")) << "from the history file: " << next.output();
  Leave(next);
}

}  // namespace
}  // namespace kelnl::testing
