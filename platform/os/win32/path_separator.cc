#include "platform/os/os.h"

namespace kelnl::os {

char PathSeparator() { return '\\'; }

}  // namespace kelnl::os
