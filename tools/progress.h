// Shows that long work is still going: on a terminal, after a short delay, a line "<what> ... N.N s"
// on standard error, refreshed until the work ends and then wiped. Off a terminal it shows nothing.
#ifndef KELNL_TOOLS_PROGRESS_H
#define KELNL_TOOLS_PROGRESS_H

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

namespace kelnl::tool {

class Progress {
 public:
  // Shows progress on `out` when it is a terminal, or always when `force` is set (tests).
  explicit Progress(std::string what, std::FILE* out = stderr, bool force = false,
                    std::chrono::milliseconds delay = std::chrono::milliseconds(300));
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

 private:
  void Show();

  std::string what_;
  std::FILE* out_;
  std::chrono::milliseconds delay_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false;
  bool shown_ = false;
  std::thread thread_;
};

}  // namespace kelnl::tool

#endif
