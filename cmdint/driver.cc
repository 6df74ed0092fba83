// nlcpdrv: the read-split-interpret loop over the terminal or a command file.
#include <cctype>
#include <cstring>

#include "cmdint/interpreter.h"
#include "diagnostics/stream_eof.h"
#include "kelnl/nler.h"
#include "kelnl/nlerrors.h"
#include "kelnl/nlfi.h"

namespace kelnl::cmdint {
namespace {

constexpr char kEndArgument[] = "control program";

// '#' starts a comment, and so do the letters r, e, m at the start of a line of at least three
// characters, whatever follows them.
bool IsComment(const char* line, std::size_t length) {
  if (length > 0 && line[0] == '#') return true;
  return length > 2 && std::tolower(static_cast<unsigned char>(line[0])) == 'r' &&
         std::tolower(static_cast<unsigned char>(line[1])) == 'e' &&
         std::tolower(static_cast<unsigned char>(line[2])) == 'm';
}

void EmptyErrorStack(NlErrorStack* stack) {
  if (stack == nullptr) return;
  stack->depth = 0;
  stack->text_used = 0;
  stack->entries[0].facility = 0;
  stack->entries[0].error = 0;
}

// One line read from the input: interpreted, and its refusal printed.
std::int32_t InterpretLine(NlGlobalContext* context, std::int32_t help_facility, const NlCommandEntry* table,
                           std::uint32_t flags, void* user_data, std::int32_t file_nesting, char* line,
                           std::size_t length) {
  if (length > 0) line[--length] = '\0';
  if (IsComment(line, length)) return 0;
  char* words[NLCP_MAX_WORDS + 1];
  std::int32_t count = 0;
  std::int32_t result = nlcpprs(context, line, static_cast<std::int32_t>(length), words, NLCP_MAX_WORDS, &count);
  if (result == 0) {
    result = InterpretLineWords(context, help_facility, words, count, table, flags, user_data, file_nesting);
  }
  if (result != 0 && result != NLE_CONTROL_END) {
    nlerpestk(context->error_stack, context->log_stream);
    EmptyErrorStack(context->error_stack);
  }
  return result;
}

}  // namespace

std::int32_t Drive(NlGlobalContext* context, std::int32_t help_facility, const char* program_name,
                   std::int32_t interactive, const NlCommandEntry* table, std::uint32_t flags, void* user_data,
                   NlDiagStream* input, std::int32_t file_nesting) {
  if (program_name == nullptr) program_name = "";
  NlPrimaryErrorRecord errors{};
  NlDiagStream* terminal = nullptr;
  if (input == nullptr) {
    const std::int32_t opened = nlfiini(context, &errors, &terminal, nullptr, NLDS_KIND_STANDARD_OUTPUT, 0, nullptr);
    if (opened != 0) {
      nlerlpe(context->error_stack, &errors);
      return opened;
    }
    input = terminal;
  }
  if (interactive != 0) {
    PrintMessage(context, NLM_CONTROL_WELCOME, program_name);
    Print(context, "\n");
  }
  std::int32_t result = 0;
  char line[NLCP_LINE_LIMIT];
  for (;;) {
    if (interactive != 0) {
      (void)nlfifpf(context, &errors, context->log_stream, "%s> ", program_name);
      Flush(context);
    }
    std::uint32_t length = 0;
    errors = NlPrimaryErrorRecord{};
    if (nlfird(context, &errors, input, line, sizeof line, &length) != 0) break;
    result = InterpretLine(context, help_facility, table, flags, user_data, file_nesting, line, length);
    if (result == NLE_CONTROL_END) break;
  }
  if (result != NLE_CONTROL_END) {
    if (nldseof(input) == 0) {
      nlerrec(context->error_stack, kLibraryFacility, NLE_CONTROL_END, 1, NL_ERROR_ARG_TEXT,
              static_cast<int32_t>(sizeof kEndArgument - 1), kEndArgument);
      result = NLE_CONTROL_END;
    } else {
      // A read that failed before the end: the system's reason goes on the stack under the code.
      if (errors.os_error.operation != 0) nlerrsc(context->error_stack, 3, &errors.os_error);
      nlerrec(context->error_stack, kLibraryFacility, NLE_FILE_READ_FAILED, 0);
      result = NLE_FILE_READ_FAILED;
    }
  }
  if (terminal != nullptr) (void)nlfidst(context, &errors, &terminal);
  return result;
}

}  // namespace kelnl::cmdint

extern "C" int32_t nlcpdrv(NlGlobalContext* context, int32_t help_facility, const char* program_name,
                           int32_t interactive, const NlCommandEntry* table, uint32_t flags, void* user_data,
                           NlDiagStream* input) {
  return kelnl::cmdint::Drive(context, help_facility, program_name, interactive, table, flags, user_data, input, 0);
}
