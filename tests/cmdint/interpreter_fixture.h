// A context for the interpreter: the build tree's message files, an error stack, and a log
// file whose text the tests read back.
#ifndef KELNL_TESTS_CMDINT_INTERPRETER_FIXTURE_H
#define KELNL_TESTS_CMDINT_INTERPRETER_FIXTURE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kelnl/kelnl.h"
#include "tests/support/test_files.h"

namespace kelnl::testing {

// What a handler saw.
struct HandlerCall {
  std::string command;
  std::vector<std::string> words;
  std::vector<std::int32_t> path;
  std::uint32_t mode;
};

class InterpreterTest : public ::testing::Test {
 protected:
  InterpreterTest();
  ~InterpreterTest() override;

  // Splits and interprets one line as the driver would; the output of the line is in Output().
  std::int32_t Line(const std::string& text, std::uint32_t flags = 0);
  // Everything printed since the last call, then forgotten.
  std::string Output();
  // The error stack as printed, most recent entry first.
  std::string Errors();
  void ClearErrors();

  NlGlobalContext context_{};
  std::vector<HandlerCall> calls_;
  TempDir dir_;

 private:
  ScopedEnvironment home_{"TARVO_HOME", KELNL_TEST_BUILD_HOME};
  std::size_t taken_ = 0;
};

// The table the tests run on: modifiers, commands with every kind of argument count, a keyword
// with a subtable, a hidden row and a command that asks for confirmation.
extern const NlCommandEntry kTestTable[];

}  // namespace kelnl::testing

#endif
