#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "kelnl/snlpc.h"

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {

TEST(PasswordPrompt, PromptLengthIsCheckedBeforeAnythingElse) {
  NlOsErrorRecord err{};
  char buffer[40];
  uint32_t count = 99;
  const std::string long_prompt(51, 'p');
  EXPECT_EQ(snlpspr_prompt_pw(&err, long_prompt.c_str(), 51, buffer, sizeof buffer, &count, 1), NL_PROMPT_TOO_LONG);
  EXPECT_EQ(err.operation, static_cast<uint32_t>(NL_PROMPT_TOO_LONG));
  EXPECT_EQ(count, 0u);
}

#ifndef _WIN32

// Runs the prompt with standard input on a pseudo-terminal (or a pipe) and types into it.
class PromptOnTerminal : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(openpty(&master_, &slave_, nullptr, nullptr, nullptr), 0);
    saved_stdin_ = dup(STDIN_FILENO);
  }
  void TearDown() override {
    dup2(saved_stdin_, STDIN_FILENO);
    close(saved_stdin_);
    close(master_);
    close(slave_);
  }

  // Types once the terminal has gone into no-echo mode, so any echo would be the prompt's fault;
  // nothing typed means the prompt is not expected to read.
  int32_t Prompt(const std::string& typed, char* buffer, uint32_t size, uint32_t* count) {
    dup2(slave_, STDIN_FILENO);
    std::thread typist([&] {
      if (typed.empty()) return;
      termios settings{};
      for (int i = 0; i < 5000; ++i) {
        tcgetattr(slave_, &settings);
        if ((settings.c_lflag & ECHO) == 0) break;
        usleep(1000);
      }
      ASSERT_EQ(write(master_, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
    });
    NlOsErrorRecord err{};
    const int32_t result = snlpspr_prompt_pw(&err, "Password: ", 10, buffer, size, count, 1);
    typist.join();
    dup2(saved_stdin_, STDIN_FILENO);
    EXPECT_EQ(err.operation, static_cast<uint32_t>(result));
    return result;
  }

  std::string Echoed() {
    std::string echoed;
    pollfd ready{master_, POLLIN, 0};
    char chunk[256];
    while (poll(&ready, 1, 50) > 0) {
      const ssize_t n = read(master_, chunk, sizeof chunk);
      if (n <= 0) break;
      echoed.append(chunk, static_cast<size_t>(n));
    }
    return echoed;
  }

  int master_ = -1, slave_ = -1, saved_stdin_ = -1;
};

// Thirty characters are taken without echo, thirty-one refused once the line is in.
TEST_F(PromptOnTerminal, PasswordLengthEchoNulsAndAOneByteBuffer) {
  char buffer[64];
  uint32_t count = 0;
  const std::string password(30, 's');
  ASSERT_EQ(Prompt(password + "\r", buffer, sizeof buffer, &count), 0);
  EXPECT_EQ(count, 30u);
  EXPECT_EQ(std::string(buffer), password);
  EXPECT_EQ(Echoed().find('s'), std::string::npos) << "the password was echoed";
  termios settings{};
  tcgetattr(slave_, &settings);
  EXPECT_NE(settings.c_lflag & ECHO, 0u) << "echo is restored";

  count = 5;
  EXPECT_EQ(Prompt(std::string(31, 'x') + "\r", buffer, sizeof buffer, &count), NL_PROMPT_PASSWORD_TOO_LONG);
  EXPECT_EQ(count, 0u);

  // NULs, which function keys send, are skipped.
  ASSERT_EQ(Prompt(std::string("a\0b\r", 4), buffer, sizeof buffer, &count), 0);
  EXPECT_EQ(std::string(buffer), "ab");
  char one[1] = {'z'};
  EXPECT_EQ(Prompt("", one, 1, &count), 0);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(one[0], '\0');
}

TEST_F(PromptOnTerminal, PipeIsRefusedWhenATerminalIsNeededAndReadOtherwise) {
  int pipe_ends[2];
  ASSERT_EQ(pipe(pipe_ends), 0);
  ASSERT_EQ(write(pipe_ends[1], "secret\n", 7), 7);
  close(pipe_ends[1]);
  dup2(pipe_ends[0], STDIN_FILENO);
  char buffer[32];
  uint32_t count = 0;
  NlOsErrorRecord err{};
  EXPECT_EQ(snlpspr_prompt_pw(&err, "P: ", 3, buffer, sizeof buffer, &count, 1), NL_PROMPT_NOT_A_TERMINAL);
  EXPECT_EQ(snlpspr_prompt_pw(&err, "P: ", 3, buffer, sizeof buffer, &count, 0), 0);
  EXPECT_EQ(std::string(buffer), "secret");
  EXPECT_EQ(count, 6u);
  dup2(saved_stdin_, STDIN_FILENO);
  close(pipe_ends[0]);
}

#endif

}  // namespace
