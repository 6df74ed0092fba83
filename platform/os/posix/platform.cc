#include <ctime>

#include "platform/os/os.h"

namespace kelnl::os {

const char* PlatformName() {
#if defined(__linux__)
  return "Linux";
#else
  return "POSIX";
#endif
}

bool LocalCalendarTime(CalendarTime* time) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (now == static_cast<std::time_t>(-1) || localtime_r(&now, &local) == nullptr) return false;
  *time = CalendarTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                       local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec};
  return true;
}

}  // namespace kelnl::os
