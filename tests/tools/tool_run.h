// Runs the built kelnl program through the shell as a user would.
#ifndef KELNL_TESTS_TOOLS_TOOL_RUN_H
#define KELNL_TESTS_TOOLS_TOOL_RUN_H

#include <cstdlib>
#include <string>

#include "tests/support/test_files.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace kelnl::testing {

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// The arguments are shell text (quoted as the shell needs); the output goes through the files
// "out" and "err" of dir. The program runs in working_directory where one is given.
inline Outcome RunKelnl(const TempDir& dir, const std::string& arguments, const std::string& working_directory = "") {
  const std::string command = (working_directory.empty() ? "" : "cd '" + working_directory + "' && ") + "'" +
                              KELNL_TOOL_PATH + "' " + arguments + " >'" + dir.File("out") + "' 2>'" +
                              dir.File("err") + "'";
  Outcome run;
  [[maybe_unused]] const int raw = std::system(command.c_str());
#ifndef _WIN32
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
  run.out = dir.Read("out");
  run.err = dir.Read("err");
  return run;
}

}  // namespace kelnl::testing

#endif
