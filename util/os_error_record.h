// Operations of the operating-system layer clear their error record on entry.
#ifndef KELNL_UTIL_OS_ERROR_RECORD_H
#define KELNL_UTIL_OS_ERROR_RECORD_H

#include "kelnl/nlep.h"

namespace kelnl {

inline void ClearOsError(NlOsErrorRecord* record) {
  if (record != nullptr) *record = NlOsErrorRecord{0, 0, 0};
}

}  // namespace kelnl

#endif
