#include <cstdio>

#include "kelnl/kelnl.h"
#include "kelnl/version.h"
#include "tools/commands.h"

namespace kelnl::tool {

int RunVersion(int argc, char**) {
  if (argc != 0) {
    std::fputs("kelnl version: takes no arguments\n", stderr);
    return 2;
  }
  NlGlobalContext* context = nullptr;
  nlstdini(&context);
  if (context == nullptr || nlifigbl(context) != 0) {
    std::fputs("kelnl version: cannot describe this machine's data representation (out of memory)\n", stderr);
    nlstdtrm(&context);
    return 1;
  }
  std::printf("kelnl %s\n", KELNL_VERSION_STRING);
  std::fputs("data representation:", stdout);
  const uint8_t* vector = context->data_representation->vector;
  for (int i = 0; i < vector[0]; ++i) std::printf(" %02X", vector[i]);
  std::fputs("\n", stdout);
  nlstdtrm(&context);
  return 0;
}

}  // namespace kelnl::tool
