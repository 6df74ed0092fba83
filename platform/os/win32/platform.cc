#include <windows.h>

#include "platform/os/os.h"

namespace kelnl::os {

// The product target is 32-bit Windows; the 64-bit build that runs the tests names itself
// truthfully rather than pretending to be the product.
const char* PlatformName() {
#if defined(_WIN64)
  return "64-bit Windows";
#else
  return "32-bit Windows";
#endif
}

bool LocalCalendarTime(CalendarTime* time) {
  SYSTEMTIME local;
  GetLocalTime(&local);
  *time = CalendarTime{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
  return true;
}

}  // namespace kelnl::os
