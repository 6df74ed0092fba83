// Runs a program on a pseudo-terminal, as a user at a terminal would: keys in, screen text out.
// POSIX only; on Windows Start() reports failure.
#ifndef KELNL_TESTS_TOOLS_PTY_SESSION_H
#define KELNL_TESTS_TOOLS_PTY_SESSION_H

#include <string>
#include <vector>

namespace kelnl::testing {

class PtySession {
 public:
  PtySession() = default;
  ~PtySession();  // kills the program if it still runs
  PtySession(const PtySession&) = delete;
  PtySession& operator=(const PtySession&) = delete;

  // Starts program with arguments on a new 80x24 terminal; environment entries NAME=VALUE are
  // added to the test's own.
  bool Start(const std::string& program, const std::vector<std::string>& arguments,
             const std::vector<std::string>& environment);
  void Send(const std::string& keys);
  // Waits until text appears in the output after the point the previous Expect matched; false
  // when it has not appeared within the timeout or the program ended first.
  bool Expect(const std::string& text, int timeout_ms = 5000);
  // Waits for the program to end; its exit status, or -1 on timeout or an abnormal end.
  int Wait(int timeout_ms = 5000);
  const std::string& output() const { return output_; }

 private:
  bool ReadSome(int timeout_ms);

  int master_ = -1;
  int pid_ = -1;
  std::string output_;
  std::size_t matched_ = 0;
};

}  // namespace kelnl::testing

#endif
