#include "tools/progress.h"

#include "platform/os/os.h"

namespace kelnl::tool {
namespace {

constexpr std::chrono::milliseconds kRefresh(200);

}  // namespace

Progress::Progress(std::string what, std::FILE* out, bool force, std::chrono::milliseconds delay)
    : what_(std::move(what)), out_(out), delay_(delay) {
  if (force || os::StreamIsTerminal(out_)) thread_ = std::thread([this] { Show(); });
}

Progress::~Progress() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    done_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void Progress::Show() {
  const auto start = std::chrono::steady_clock::now();
  std::unique_lock<std::mutex> lock(mutex_);
  // Work that ends within the delay shows nothing at all.
  if (wake_.wait_for(lock, delay_, [this] { return done_; })) return;
  while (!done_) {
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::fprintf(out_, "\r%s ... %.1f s", what_.c_str(), elapsed.count());
    std::fflush(out_);
    shown_ = true;
    wake_.wait_for(lock, kRefresh, [this] { return done_; });
  }
  // Blanks over the line, so that what follows starts on a clean one.
  if (shown_) {
    std::fprintf(out_, "\r%*s\r", static_cast<int>(what_.size() + 16), "");
    std::fflush(out_);
  }
}

}  // namespace kelnl::tool
