// The end of a line that names a command: argument counts, help text, confirmation and the
// handler under a recovery frame; and the command files named by '@'.
#include <cstring>

#include "cmdint/interpreter.h"
#include "kelnl/nler.h"
#include "kelnl/nlerrors.h"
#include "kelnl/nlfi.h"
#include "kelnl/snlf.h"

namespace kelnl::cmdint {
namespace {

constexpr std::size_t kHelpTextBytes = 255;  // 254 characters and the terminator
constexpr std::uint32_t kAnswerBytes = 11;   // 10 characters and the terminator
// Command files may name command files; a file that names itself would otherwise nest until the
// stack or the file handles run out.
constexpr int kCommandFileNesting = 32;

std::int32_t CheckArgumentCount(NlGlobalContext* context, const NlCommandEntry& row, std::int32_t count) {
  if (count >= row.min_args && count <= row.max_args) return 0;
  const auto text_length = static_cast<std::int32_t>(std::strlen(row.name));
  if (row.min_args != row.max_args) {
    nlerrec(context->error_stack, kLibraryFacility, NLE_CONTROL_ARGUMENT_RANGE, 3, NL_ERROR_ARG_NUMBER, row.min_args,
            NL_ERROR_ARG_NUMBER, row.max_args, NL_ERROR_ARG_TEXT, text_length, row.name);
    return NLE_CONTROL_ARGUMENT_RANGE;
  }
  if (count == row.min_args) return 0;
  nlerrec(context->error_stack, kLibraryFacility, NLE_CONTROL_ARGUMENT_COUNT, 2, NL_ERROR_ARG_NUMBER, row.min_args,
          NL_ERROR_ARG_TEXT, text_length, row.name);
  return NLE_CONTROL_ARGUMENT_COUNT;
}

void PrintHelpText(const LineState& line, const NlCommandEntry& row) {
  char text[kHelpTextBytes];
  if (!FindMessage(line.context, line.help_facility, row.help_message, text, sizeof text)) return;
  Print(line.context, text);
  Print(line.context, "\n");
  Flush(line.context);
}

bool NeedsConfirmation(const LineState& line, const NlCommandEntry& row) {
  return (row.flags & NLCP_CONFIRM) != 0 && line.mode != NLCP_SHOW &&
         (line.flags & (NLCP_EXPERT | NLCP_FROM_FILE)) == 0;
}

// The answer always comes from the terminal, wherever the commands come from. An answer that
// cannot be read (end of input) is no "yes".
bool Confirmed(NlGlobalContext* context) {
  PrintMessage(context, NLM_CONTROL_CONFIRM);
  Flush(context);
  char answer[kAnswerBytes] = {};
  std::uint32_t length = 0;
  if (snlfglt(nullptr, answer, sizeof answer, &length) != 0) return false;
  if (length > 0) answer[length - 1] = '\0';
  return EqualsIgnoringCase(answer, "yes");
}

// Kept free of objects with destructors: a signal leaves it through longjmp.
std::int32_t CallUnderFrame(NlGlobalContext* context, NlCommandHandler handler, void* user_data, char** words,
                            std::int32_t count, const std::int32_t* path, std::int32_t depth, std::uint32_t mode) {
  NlErrorStack* stack = context->error_stack;
  if (stack == nullptr) {
    (void)handler(context, user_data, words, count, path, depth, mode);
    return 0;
  }
  NlRecoveryFrame frame;
  int error = NL_RECOVERY_POINT(&frame);
  if (error != 0) return error;
  NL_RECOVERY_LINK(stack, &frame);
  (void)handler(context, user_data, words, count, path, depth, mode);
  NL_RECOVERY_UNLINK(stack, &frame);
  return 0;
}

}  // namespace

std::int32_t RunCommand(LineState& line, std::int32_t row_index, char** words, std::int32_t word_index,
                        std::int32_t word_count) {
  NlGlobalContext* context = line.context;
  const NlCommandEntry& row = line.table[row_index];
  if (!AcceptsMode(row, line.mode)) {
    if ((row.flags & NLCP_MODE_BITS) == NLCP_NONE) return Refuse(context, NLE_CONTROL_NO_MODIFIER, row.name);
    ListAcceptedModes(context, row);
    return 0;
  }
  const std::int32_t arguments = word_count - word_index - 1;
  if (line.help) {
    PrintHelpText(line, row);
    return 0;
  }
  if (const std::int32_t refused = CheckArgumentCount(context, row, arguments)) return refused;
  if (NeedsConfirmation(line, row) && !Confirmed(context)) return Refuse(context, NLE_CONTROL_NOT_CONFIRMED);
  if (line.depth < NLCP_PATH_LIMIT) line.path[line.depth++] = row_index;
  if (row.handler == nullptr) return 0;
  char** handed = words + word_index + 1;
  std::int32_t handed_count = arguments;
  if ((row.flags & NLCP_REPEAT) != 0) {
    // The command's own slot carries the repeat count to the handler.
    words[word_index] = const_cast<char*>(line.repeat_text);
    handed = words + word_index;
    handed_count = arguments + 1;
  }
  return CallUnderFrame(context, row.handler, line.user_data, handed, handed_count, line.path, line.depth, line.mode);
}

std::int32_t RunCommandFile(LineState& line, const char* word) {
  NlGlobalContext* context = line.context;
  const char* name = word + 1;
  NlFileNameDesc desc{};
  desc.base_name = name;
  desc.base_name_length = static_cast<std::uint32_t>(std::strlen(name));
  NlDiagStream* file = nullptr;
  NlPrimaryErrorRecord errors{};
  if (line.file_nesting >= kCommandFileNesting ||
      nlfiini(context, &errors, &file, nullptr, NLDS_KIND_FILE, NLDS_OPTION_LINE_INPUT, &desc) != 0) {
    return Refuse(context, NLE_CONTROL_NO_COMMAND_FILE, name);
  }
  NlErrorStack* stack = context->error_stack;
  const std::int32_t depth_before = stack != nullptr ? stack->depth : 0;
  const std::uint32_t text_before = stack != nullptr ? stack->text_used : 0;
  const std::int32_t result = Drive(context, line.help_facility, "", 0, line.table, line.flags | NLCP_FROM_FILE,
                                    line.user_data, file, line.file_nesting + 1);
  (void)nlfidst(context, &errors, &file);
  if (result != NLE_CONTROL_END) return result;
  // A file that simply ended is a handled line: the end-of-run entry its run pushed goes, so that
  // it does not trail the next error the outer run prints.
  if (stack != nullptr && stack->depth > depth_before) {
    stack->depth = depth_before;
    stack->text_used = text_before;
  }
  return 0;
}

}  // namespace kelnl::cmdint
