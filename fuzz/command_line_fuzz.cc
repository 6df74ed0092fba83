// Any line against a command table: splitting, option sorting and interpretation must keep to
// the word list, leave the error stack consistent and never call a handler with words that are
// not the line's.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "kelnl/kelnl.h"

namespace {

std::int32_t Discard(NlPrimaryErrorRecord*, NlDiagStream*, const void*, std::uint32_t) { return 0; }
std::int32_t DiscardFormatted(NlPrimaryErrorRecord*, NlDiagStream*, const char*, va_list) { return 0; }
std::int32_t Nothing(NlPrimaryErrorRecord*, NlDiagStream*) { return 0; }

// Every word a handler gets must be a terminated text inside the line or the repeat count "1".
const char* line_start = nullptr;
const char* line_end = nullptr;

std::int32_t CheckWords(NlGlobalContext* context, void*, char** words, std::int32_t count, const std::int32_t* path,
                        std::int32_t depth, std::uint32_t) {
  if (count < 0 || depth < 1 || depth > NLCP_PATH_LIMIT || path[depth - 1] < 0) std::abort();
  for (std::int32_t i = 0; i < count; ++i) {
    const bool in_line = words[i] >= line_start && words[i] < line_end;
    if (!in_line && std::strcmp(words[i], "1") != 0) std::abort();
    if (std::strlen(words[i]) == 0) std::abort();
  }
  // Some calls signal, as handlers do, and land back in the interpreter.
  if (count > 2) nlersec(context->error_stack, 1, NLE_NO_ERROR_STACK, 0);
  return 0;
}

constexpr std::uint32_t kNone = NLCP_NONE;
const NlCommandEntry kInner[] = {
    {"alpha", CheckWords, nullptr, 0, 2, kNone | NLCP_SHOW | NLCP_SET, 0},
    {"alps", CheckWords, nullptr, 1, 1, kNone | NLCP_CANCEL, 0},
    {"_hidden", CheckWords, nullptr, 0, 5, kNone, 0},
    {nullptr, nullptr, nullptr, 0, 0, 0, 0},
};
const NlCommandEntry kTable[] = {
    {"show", nullptr, nullptr, 0, 0, NLCP_MODIFIER | NLCP_SHOW, 0},
    {"set", nullptr, nullptr, 0, 0, NLCP_MODIFIER | NLCP_SET, 0},
    {"cancel", nullptr, nullptr, 0, 0, NLCP_MODIFIER | NLCP_CANCEL, 0},
    {"repeat", nullptr, nullptr, 0, 0, NLCP_MODIFIER | NLCP_REPEAT, 0},
    {"status", CheckWords, nullptr, 0, 3, kNone | NLCP_SHOW | NLCP_REPEAT, 0},
    {"stat", CheckWords, nullptr, 1, 1, kNone, 0},
    {"sub", nullptr, kInner, 0, 0, NLCP_KEYWORD | kNone | NLCP_SHOW | NLCP_SET | NLCP_CANCEL, 0},
    {"self", nullptr, kTable, 0, 0, NLCP_KEYWORD | kNone, 0},
    {"empty", nullptr, nullptr, 0, 0, NLCP_KEYWORD | kNone, 0},
    {"_x", CheckWords, nullptr, 0, 0, kNone | NLCP_REPEAT, 0},
    {nullptr, nullptr, nullptr, 0, 0, 0, 0},
};

NlGlobalContext* MakeContext() {
  static NlGlobalContext context{};
  NlPrimaryErrorRecord errors{};
  nldsinit(&errors, &context.log_stream, nullptr, NLDS_KIND_STANDARD_OUTPUT, 0, nullptr);
  context.log_stream->op_open = Nothing;
  context.log_stream->op_close = Nothing;
  context.log_stream->op_flush = Nothing;
  context.log_stream->op_write = Discard;
  context.log_stream->op_vfprintf = DiscardFormatted;
  nlerinit(&errors, &context.error_stack, nullptr, context.log_stream);
  return &context;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static NlGlobalContext* context = MakeContext();
  if (size == 0) return 0;
  const std::int32_t max_words = data[0] % (NLCP_MAX_WORDS + 1);
  const std::uint32_t flags = (data[0] >> 7) != 0 ? NLCP_EXPERT : 0;
  // Command files are left out: a line must not make the fuzzer read files named by its bytes.
  char line[NLCP_LINE_LIMIT];
  const std::size_t length = size - 1 < sizeof line - 1 ? size - 1 : sizeof line - 1;
  for (std::size_t i = 0; i < length; ++i) line[i] = data[1 + i] == '@' ? 'a' : static_cast<char>(data[1 + i]);
  line[length] = '\0';
  line_start = line;
  line_end = line + sizeof line;

  char* words[NLCP_MAX_WORDS + 1];
  std::int32_t count = -1;
  const std::int32_t split = nlcpprs(context, line, 0, words, max_words, &count);
  if (count < 0 || count > max_words || words[count] != nullptr) std::abort();
  if (split == 0) {
    char* sorted[NLCP_MAX_WORDS + 1];
    std::memcpy(sorted, words, sizeof words);
    std::int32_t options = 0, plain = 0;
    char** option_start = nullptr;
    char** plain_start = nullptr;
    nlcpargs(nullptr, count, sorted, &options, &option_start, &plain, &plain_start);
    if (options + plain != (count > 0 ? count : 0) || (count > 0 && options >= count)) std::abort();
    for (std::int32_t i = 0; i < options; ++i) {
      if (std::strchr(option_start[i], '=') == nullptr) std::abort();
    }
    (void)nlcpdo(context, 1, words, count, kTable, flags, nullptr);
  }
  if (context->error_stack->recovery_chain != nullptr) std::abort();
  context->error_stack->depth = 0;
  context->error_stack->text_used = 0;
  return 0;
}
