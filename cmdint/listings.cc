// The listings a line can answer with: a table's commands, the candidates of an ambiguous word and
// the modifiers a command accepts.
#include <algorithm>
#include <cstring>

#include "cmdint/interpreter.h"
#include "kelnl/nlerrors.h"
#include "kelnl/nlfi.h"

namespace kelnl::cmdint {
namespace {

// The listing fits 79 columns, the candidate list 80: each starts a new line before a column that
// would pass its limit.
constexpr std::size_t kListingLimit = 79;
constexpr std::size_t kCandidateLimit = 80;
constexpr std::size_t kListingGap = 5;
constexpr std::size_t kCandidateGap = 4;

bool IsListed(const NlCommandEntry& row, std::uint32_t flags, std::uint32_t mode) {
  if (IsHidden(row, flags)) return false;
  return IsModifier(row) ? mode == NLCP_NONE : AcceptsMode(row, mode);
}

class Columns {
 public:
  Columns(NlGlobalContext* context, std::size_t width, std::size_t limit)
      : context_(context), width_(width), limit_(limit) {}

  void Add(const char* name, bool marked) {
    if (first_ || running_ + width_ > limit_) {
      Print(context_, "\n");
      running_ = 0;
      first_ = false;
    }
    PrintColumn(context_, name, marked, width_);
    running_ += width_;
  }

 private:
  NlGlobalContext* context_;
  std::size_t width_;
  std::size_t limit_;
  std::size_t running_ = 0;
  bool first_ = true;
};

}  // namespace

void ListTable(const LineState& line, const NlCommandEntry* table) {
  NlGlobalContext* context = line.context;
  if (line.path_text_length == 0) {
    PrintMessage(context, NLM_CONTROL_HELP);
  } else {
    PrintMessage(context, NLM_CONTROL_HELP_PATH, line.path_text);
  }
  Print(context, "\n");
  PrintMessage(context, NLM_CONTROL_HELP_LEGEND);
  Print(context, "\n");
  std::size_t longest = 0;
  for (const NlCommandEntry* row = table; row->name != nullptr; ++row) {
    if (IsListed(*row, line.flags, line.mode)) longest = std::max(longest, std::strlen(row->name));
  }
  Columns columns(context, longest + kListingGap, kListingLimit);
  bool listed = false;
  for (const NlCommandEntry* row = table; row->name != nullptr; ++row) {
    if (!IsListed(*row, line.flags, line.mode)) continue;
    columns.Add(row->name, row->subtable != nullptr || IsModifier(*row));
    listed = true;
  }
  NlPrimaryErrorRecord errors{};
  (void)nlfifpf(context, &errors, context->log_stream, "%s\n\n", listed ? "" : "\n    [none]");
}

void ListCandidates(NlGlobalContext* context, const char* word, const NlCommandEntry* table,
                    const std::int32_t* candidates, std::int32_t count) {
  PrintMessage(context, NLM_CONTROL_AMBIGUOUS, word);
  Print(context, "\n");
  std::size_t longest = 0;
  for (std::int32_t i = 0; i < count; ++i) longest = std::max(longest, std::strlen(table[candidates[i]].name));
  Columns columns(context, longest + kCandidateGap, kCandidateLimit);
  for (std::int32_t i = 0; i < count; ++i) columns.Add(table[candidates[i]].name, false);
  Print(context, "\n\n");
}

void ListAcceptedModes(NlGlobalContext* context, const NlCommandEntry& row) {
  struct ModeName {
    std::uint32_t bit;
    const char* name;
  };
  static constexpr ModeName kModes[] = {
      {NLCP_NONE, "[none]"}, {NLCP_CANCEL, "cancel"}, {NLCP_REPEAT, "repeat"}, {NLCP_SHOW, "show"}, {NLCP_SET, "set"}};
  PrintMessage(context, NLM_CONTROL_MODIFIER_REFUSED);
  Print(context, "\n");
  NlPrimaryErrorRecord errors{};
  bool first = true;
  for (const ModeName& mode : kModes) {
    if ((row.flags & mode.bit) == 0) continue;
    (void)nlfifpf(context, &errors, context->log_stream, "%s%14s", first ? "\n" : " ", mode.name);
    first = false;
  }
  Print(context, "\n\n");
}

}  // namespace kelnl::cmdint
