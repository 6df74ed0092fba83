#include "tests/tools/pty_session.h"

#ifndef _WIN32
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#endif

namespace kelnl::testing {

#ifdef _WIN32

PtySession::~PtySession() = default;
bool PtySession::Start(const std::string&, const std::vector<std::string>&, const std::vector<std::string>&) {
  return false;
}
void PtySession::Send(const std::string&) {}
bool PtySession::Expect(const std::string&, int) { return false; }
int PtySession::Wait(int) { return -1; }
bool PtySession::ReadSome(int) { return false; }

#else

namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

}  // namespace

PtySession::~PtySession() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (master_ >= 0) close(master_);
}

bool PtySession::Start(const std::string& program, const std::vector<std::string>& arguments,
                       const std::vector<std::string>& environment) {
  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  winsize size{};
  size.ws_row = 24;
  size.ws_col = 80;
  // The child gets a session of its own with the terminal as controlling terminal and as its
  // three standard streams.
  pid_ = forkpty(&master_, nullptr, nullptr, &size);
  if (pid_ == 0) {
    for (const std::string& entry : environment) putenv(const_cast<char*>(entry.c_str()));
    execv(argv[0], argv.data());
    _exit(127);
  }
  return pid_ > 0;
}

void PtySession::Send(const std::string& keys) {
  std::size_t sent = 0;
  while (sent < keys.size()) {
    const ssize_t written = write(master_, keys.data() + sent, keys.size() - sent);
    if (written <= 0) return;
    sent += static_cast<std::size_t>(written);
  }
}

bool PtySession::ReadSome(int timeout_ms) {
  pollfd descriptor{master_, POLLIN, 0};
  if (poll(&descriptor, 1, timeout_ms) <= 0) return false;
  char buffer[4096];
  const ssize_t count = read(master_, buffer, sizeof buffer);
  if (count <= 0) return false;  // the program has closed the terminal
  output_.append(buffer, static_cast<std::size_t>(count));
  return true;
}

bool PtySession::Expect(const std::string& text, int timeout_ms) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    const std::size_t found = output_.find(text, matched_);
    if (found != std::string::npos) {
      matched_ = found + text.size();
      return true;
    }
    if (RemainingMs(deadline) == 0 || !ReadSome(RemainingMs(deadline))) return false;
  }
}

int PtySession::Wait(int timeout_ms) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      pid_ = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    if (RemainingMs(deadline) == 0) return -1;
    // Keep draining the terminal so that the program never blocks on a full one.
    if (!ReadSome(20)) usleep(10000);
  }
}

#endif

}  // namespace kelnl::testing
