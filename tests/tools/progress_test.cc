// The progress line of long work: shown after its delay, wiped at the end, never for quick work.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "tools/progress.h"

namespace kelnl::tool {
namespace {

std::string Contents(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string text;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text += static_cast<char>(c);
  return text;
}

TEST(Progress, OnlyLongWorkAtATerminalShowsALineAndWipesIt) {
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  { Progress progress("checking small.kel", out, true, std::chrono::seconds(10)); }
  EXPECT_EQ(Contents(out), "") << "quick work";
  { Progress progress("not a terminal", out); }
  EXPECT_EQ(Contents(out), "") << "a file is no terminal";
  {
    Progress progress("checking big.kel", out, true, std::chrono::milliseconds(0));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  const std::string shown = Contents(out);
  EXPECT_EQ(shown.rfind("\rchecking big.kel ... 0.", 0), 0u) << shown;
  EXPECT_EQ(shown.substr(shown.size() - 34), "\r" + std::string(32, ' ') + "\r") << "the line is blanked";
  std::fclose(out);
}

}  // namespace
}  // namespace kelnl::tool
