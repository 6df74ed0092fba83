// A full disk for one scope: files this process writes may not grow beyond the limit.
#ifndef KELNL_TESTS_SUPPORT_FILE_SIZE_LIMIT_H
#define KELNL_TESTS_SUPPORT_FILE_SIZE_LIMIT_H

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>

namespace kelnl::testing {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t limit) : previous_handler_(std::signal(SIGXFSZ, SIG_IGN)) {
    getrlimit(RLIMIT_FSIZE, &previous_);
    rlimit reduced = previous_;
    reduced.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &reduced);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previous_handler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  void (*previous_handler_)(int);
  rlimit previous_{};
};

}  // namespace kelnl::testing

#endif
#endif
