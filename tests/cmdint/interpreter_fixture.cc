#include "tests/cmdint/interpreter_fixture.h"

#include <cstring>

#include "tests/diagnostics/stream_test_support.h"

namespace kelnl::testing {
namespace {

extern const NlCommandEntry kTraceRows[];

// Records the call; the word "quit" signals the end of the run, "fail" signals error 700.
std::int32_t Record(NlGlobalContext* context, void* user_data, char** words, std::int32_t count,
                    const std::int32_t* path, std::int32_t depth, std::uint32_t mode) {
  bool quit = false;
  bool fail = false;
  {
    auto* calls = static_cast<std::vector<HandlerCall>*>(user_data);
    const char* name = depth > 1 ? kTraceRows[path[1]].name : kTestTable[path[0]].name;
    HandlerCall call{name, {}, std::vector<std::int32_t>(path, path + depth), mode};
    for (std::int32_t i = 0; i < count; ++i) {
      call.words.emplace_back(words[i]);
      quit = quit || std::strcmp(words[i], "quit") == 0;
      fail = fail || std::strcmp(words[i], "fail") == 0;
    }
    calls->push_back(call);
  }
  // Signals leave through longjmp: nothing with a destructor is alive here.
  if (quit) nlersec(context->error_stack, 1, NLE_CONTROL_END, 0);
  if (fail) nlersec(context->error_stack, 1, NLE_NO_ERROR_STACK, 0);
  return 0;
}

constexpr std::uint32_t kNone = NLCP_NONE;

const NlCommandEntry kTraceRows[] = {
    {"alpha", Record, nullptr, 0, 0, kNone, 0},
    {"beta", Record, nullptr, 0, 1, kNone | NLCP_SHOW, 0},
    {nullptr, nullptr, nullptr, 0, 0, 0, 0},
};

}  // namespace

const NlCommandEntry kTestTable[] = {
    {"show", nullptr, nullptr, 0, 0, NLCP_MODIFIER | NLCP_SHOW, 0},
    {"set", nullptr, nullptr, 0, 0, NLCP_MODIFIER | NLCP_SET, 0},
    {"repeat", nullptr, nullptr, 0, 0, NLCP_MODIFIER | NLCP_REPEAT, 0},
    {"shutdown", Record, nullptr, 0, 0, kNone | NLCP_CONFIRM, 0},
    {"status", Record, nullptr, 0, 2, kNone | NLCP_SHOW, NLM_CONTROL_HELP_LEGEND},
    {"stat", Record, nullptr, 1, 1, kNone, 0},
    {"ping", Record, nullptr, 0, 3, kNone | NLCP_REPEAT, 0},
    {"trace", nullptr, kTraceRows, 0, 0, NLCP_KEYWORD | kNone | NLCP_SHOW, 0},
    {"_secret", Record, nullptr, 0, 0, kNone, 0},
    {nullptr, nullptr, nullptr, 0, 0, 0, 0},
};

InterpreterTest::InterpreterTest() {
  NlPrimaryErrorRecord errors{};
  EXPECT_EQ(nleminz(&errors, &context_.message_facility, 1, nullptr, 0, nullptr), 0);
  context_.log_stream = NewFileStream(dir_.File("output.txt"));
  EXPECT_EQ(nlerinit(&errors, &context_.error_stack, context_.message_facility, context_.log_stream), 0);
}

InterpreterTest::~InterpreterTest() {
  NlPrimaryErrorRecord errors{};
  nlerdestroy(&errors, &context_.error_stack);
  nldsdestroy(&errors, &context_.log_stream);
  nlemdestroy(&errors, &context_.message_facility);
}

std::int32_t InterpreterTest::Line(const std::string& text, std::uint32_t flags) {
  std::vector<char> line(text.begin(), text.end());
  line.push_back('\0');
  char* words[NLCP_MAX_WORDS + 1];
  std::int32_t count = 0;
  const std::int32_t split = nlcpprs(&context_, line.data(), 0, words, NLCP_MAX_WORDS, &count);
  if (split != 0) return split;
  return nlcpdo(&context_, 1, words, count, kTestTable, flags, &calls_);
}

std::string InterpreterTest::Output() {
  nldsflush(nullptr, context_.log_stream);  // a stream never written to is not open yet
  const std::string written = dir_.ReadText("output.txt");
  const std::string taken = written.substr(taken_);
  taken_ = written.size();
  return taken;
}

std::string InterpreterTest::Errors() {
  char text[2048];
  size_t length = 0;
  nlerbem(context_.error_stack, 1, text, sizeof text, &length);
  return std::string(text, length);
}

void InterpreterTest::ClearErrors() {
  context_.error_stack->depth = 0;
  context_.error_stack->text_used = 0;
}

}  // namespace kelnl::testing
