// The kelnl program at a terminal: prompt, history and the end of input, driven through a real
// pseudo-terminal (POSIX only). What the commands print is the business of the interpreter and
// program tests.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/test_files.h"

namespace kelnl::testing {
namespace {

using Clock = std::chrono::steady_clock;

// A program on a new 80x24 terminal: keys in, screen text out; killed if it still runs at the end.
class PtySession {
 public:
  ~PtySession() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
  }

  // The child gets a session of its own with the terminal as controlling terminal and as its
  // three standard streams; the entries NAME=VALUE are added to the test's environment.
  bool Start(const std::string& program, const std::vector<std::string>& environment) {
    winsize size{};
    size.ws_row = 24;
    size.ws_col = 80;
    pid_ = forkpty(&master_, nullptr, nullptr, &size);
    if (pid_ == 0) {
      for (const std::string& entry : environment) putenv(const_cast<char*>(entry.c_str()));
      execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    return pid_ > 0;
  }
  void Send(const std::string& keys) { EXPECT_EQ(write(master_, keys.data(), keys.size()), ssize_t(keys.size())); }
  // Waits until text appears in the output after the point the previous Expect matched.
  bool Expect(const std::string& text, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    const Clock::time_point deadline = Clock::now() + timeout;
    for (;;) {
      const std::size_t found = output_.find(text, matched_);
      if (found != std::string::npos) {
        matched_ = found + text.size();
        return true;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0 || !ReadSome(static_cast<int>(left))) return false;
    }
  }
  // The program's exit status, or -1 on timeout or an abnormal end.
  int Wait(std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    const Clock::time_point deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      // Keep draining the terminal so that the program never blocks on a full one.
      if (!ReadSome(20)) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
  }
  const std::string& output() const { return output_; }

 private:
  bool ReadSome(int timeout_ms) {
    pollfd descriptor{master_, POLLIN, 0};
    if (poll(&descriptor, 1, timeout_ms) <= 0) return false;
    char buffer[4096];
    const ssize_t count = read(master_, buffer, sizeof buffer);
    if (count <= 0) return false;  // the program has closed the terminal
    output_.append(buffer, static_cast<std::size_t>(count));
    return true;
  }

  int master_ = -1;
  int pid_ = -1;
  std::string output_;
  std::size_t matched_ = 0;
};

constexpr char kPrompt[] = "kelnl> ";
constexpr char kUp[] = "\x1b[A";

class KelnlSession : public ::testing::Test {
 protected:
  // A session whose history lives in the test's own home directory.
  void Start(PtySession& session) {
    ASSERT_TRUE(session.Start(KELNL_TOOL_PATH, {"HOME=" + home_.path().string(), "TERM=xterm"}));
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
      const int status = session.Wait(std::chrono::milliseconds(500));
      if (status != -1) return status;
      session.Send("\x04");
    }
    return -1;
  }

  TempDir home_;
};

TEST_F(KelnlSession, AHistoryKeptAcrossSessions) {
  {
    PtySession session;
    Start(session);
    Type(session, "explain 855\r");
    ASSERT_TRUE(session.Expect("only one modifier is allowed on a line")) << session.output();
    EXPECT_EQ(EndOfInput(session), 0) << session.output();
  }
  // Going back through the history within a session is the line editor's own business.
  PtySession next;
  Start(next);
  Type(next, std::string(kUp) + "\r");
  EXPECT_TRUE(next.Expect("only one modifier is allowed on a line")) << "from the history file: " << next.output();
  Type(next, "exit\r");
  EXPECT_EQ(next.Wait(), 0) << next.output();
}

}  // namespace
}  // namespace kelnl::testing
