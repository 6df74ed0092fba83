// kelnl check FILE...: reads each parameter file as the system's components do and reports it.
#include <cstdio>
#include <string>

#include "tools/commands.h"
#include "tools/error_chain.h"
#include "tools/messages.h"
#include "tools/parameter_files.h"
#include "tools/progress.h"

namespace kelnl::tool {

int RunCheck(int argc, char** argv) {
  if (argc < 1) {
    std::fputs("kelnl check: give one or more parameter files\n", stderr);
    return 2;
  }
  Messages messages;
  if (!messages.ready()) return 1;
  int status = 0;
  for (int i = 0; i < argc; ++i) {
    ParameterFile file;
    {
      Progress progress(std::string("checking ") + argv[i]);
      ReadParameterFile(argv[i], &file);
    }
    if (file.errors.count == 0) {
      std::printf("%s: ok (%zu parameters)\n", argv[i], CountParameters(file.table));
      continue;
    }
    status = 1;
    std::fprintf(stderr, "%s:\n%s", argv[i], ParameterFileErrorChain(messages, file.errors, file.name).c_str());
  }
  return status;
}

}  // namespace kelnl::tool
