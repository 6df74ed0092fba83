// Whole runs over command files: comments, nested files, refused lines and the end of the run.
#include <string>
#include <vector>

#include "tests/cmdint/interpreter_fixture.h"
#include "tests/support/alloc_sweep.h"

namespace kelnl::testing {
namespace {

class Driver : public InterpreterTest {
 protected:
  std::string At(const std::string& name) { return "@" + dir_.File(name); }
  // Runs the command file as `kelnl @FILE` does: one line holding the '@' word.
  std::int32_t RunFile(const std::string& name) { return Line(At(name)); }
  // Runs the driver itself over a command file as its line input.
  std::int32_t Drive(const std::string& name, const char* prompt, std::int32_t interactive) {
    const std::string path = dir_.File(name);
    NlFileNameDesc desc = DescriptorFor(path);
    NlDiagStream* file = nullptr;
    EXPECT_EQ(nlfiini(nullptr, nullptr, &file, nullptr, NLDS_KIND_FILE, NLDS_OPTION_LINE_INPUT, &desc), 0);
    const std::int32_t result = nlcpdrv(&context_, 1, prompt, interactive, kTestTable, 0, &calls_, file);
    EXPECT_EQ(nlfidst(nullptr, nullptr, &file), 0);
    return result;
  }
};

TEST_F(Driver, CommentsAndEmptyLinesDoNothing) {
  dir_.Write("c.cmd", "# comment\nREMARK status\nrem\nremove ping\n\n   \nstat x\n");
  EXPECT_EQ(RunFile("c.cmd"), 0);
  EXPECT_EQ(Output(), "");
  ASSERT_EQ(calls_.size(), 1u);
  EXPECT_EQ(calls_[0].command, "stat");
}

TEST_F(Driver, RefusedLinesArePrintedAndTheRunGoesOn) {
  dir_.Write("inner.cmd", "ping inner\n");
  dir_.Write("outer.cmd", "frob\n" + At("missing.cmd") + "\n" + At("inner.cmd") + "\nping outer\n");
  EXPECT_EQ(RunFile("outer.cmd"), 0);
  EXPECT_EQ(Output(),
            "NL-00853: unknown command: frob; enter help for a list\n"
            "NL-00865: cannot open command file " + dir_.File("missing.cmd") + "\n");
  ASSERT_EQ(calls_.size(), 2u);
  EXPECT_EQ(calls_[0].words, (std::vector<std::string>{"1", "inner"}));
  EXPECT_EQ(calls_[1].words, (std::vector<std::string>{"1", "outer"}));
  EXPECT_EQ(context_.error_stack->depth, 0) << "a file that ends leaves nothing behind";
}

TEST_F(Driver, AHandlerOrTheEndOfTheInputEndsTheRunWith851) {
  dir_.Write("q.cmd", "ping before\nstatus quit\nping after\n");
  EXPECT_EQ(Drive("q.cmd", "test", 0), NLE_CONTROL_END);
  EXPECT_EQ(calls_.size(), 2u) << "the line after the end is not read";
  EXPECT_EQ(Output(), "") << "not interactive: no prompt";
  ClearErrors();
  EXPECT_EQ(Drive("q.cmd", "test", 1), NLE_CONTROL_END);
  EXPECT_EQ(Output(), "test: enter help for a list of commands.\ntest> test> ") << "welcome and a prompt per line";
  ClearErrors();

  dir_.Write("e.cmd", "ping last");
  EXPECT_EQ(Drive("e.cmd", "", 0), NLE_CONTROL_END);
  EXPECT_EQ(Errors(), "NL-00851: end of control program\n");
  EXPECT_EQ(calls_.back().words, (std::vector<std::string>{"1", "las"})) << "the last character is taken as the line end";
}

TEST_F(Driver, AFileThatNamesItselfStopsNesting) {
  dir_.Write("self.cmd", "ping again\n" + At("self.cmd") + "\n");
  EXPECT_EQ(RunFile("self.cmd"), 0);
  EXPECT_EQ(calls_.size(), 32u) << "one call per level";
  EXPECT_NE(Output().find("NL-00865"), std::string::npos);
}

TEST_F(Driver, NoMemoryForACommandFileRefusesIt) {
  dir_.Write("m.cmd", "ping m\n");
  SweepExpectingCode([&] { return RunFile("m.cmd"); }, NLE_CONTROL_NO_COMMAND_FILE, [&] { ClearErrors(); });
}

}  // namespace
}  // namespace kelnl::testing
