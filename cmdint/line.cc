// nlcpdo: matching a line's words against the command tables.
#include <cctype>
#include <cstring>

#include "cmdint/interpreter.h"
#include "kelnl/nlerrors.h"

namespace kelnl::cmdint {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

bool IsHidden(const NlCommandEntry& row, std::uint32_t flags) {
  return row.name[0] == '_' && (flags & NLCP_EXPERT) == 0;
}

bool AcceptsMode(const NlCommandEntry& row, std::uint32_t mode) { return (row.flags & mode) == mode; }

bool IsModifier(const NlCommandEntry& row) { return (row.flags & NLCP_MODIFIER) != 0; }

void AppendToPathText(LineState& line, const char* name) {
  const std::size_t room = kPathTextLimit - line.path_text_length;
  const std::size_t length = std::strlen(name) + 1;
  const std::size_t taken = length < room ? length : room;
  if (taken == 0) return;
  line.path_text[line.path_text_length] = ' ';
  std::memcpy(line.path_text + line.path_text_length + 1, name, taken - 1);
  line.path_text_length += taken;
  line.path_text[line.path_text_length] = '\0';
}

namespace {

constexpr std::int32_t kMostCandidates = 10;

// A keyword row without a subtable leads to a table without rows.
constexpr NlCommandEntry kNoRows[] = {{nullptr, nullptr, nullptr, 0, 0, 0, 0}};

const NlCommandEntry* SubtableOf(const NlCommandEntry& row) {
  return row.subtable != nullptr ? row.subtable : kNoRows;
}

struct Match {
  std::int32_t candidates[kMostCandidates];
  std::int32_t count = 0;
};

// Rows whose names start with the word; a name equal to the word wins outright.
Match MatchWord(const LineState& line, const char* word) {
  Match match;
  const std::string_view typed(word);
  for (std::int32_t index = 0; line.table[index].name != nullptr; ++index) {
    const NlCommandEntry& row = line.table[index];
    const std::string_view name(row.name);
    if (typed.size() > name.size() || IsHidden(row, line.flags)) continue;
    if (!EqualsIgnoringCase(typed, name.substr(0, typed.size()))) continue;
    if (typed.size() == name.size()) {
      match.candidates[0] = index;
      match.count = 1;
      return match;
    }
    if ((IsModifier(row) || AcceptsMode(row, line.mode)) && match.count < kMostCandidates) {
      match.candidates[match.count++] = index;
    }
  }
  return match;
}

void AddToPath(LineState& line, std::int32_t index) {
  // Deeper paths than a line can name are not recorded; no table nests that far.
  if (line.depth < NLCP_PATH_LIMIT) line.path[line.depth++] = index;
}

std::int32_t InterpretWords(LineState& line, char** words, std::int32_t word_count) {
  std::int32_t at = 0;
  for (;;) {
    while (EqualsIgnoringCase(words[at], "help")) {
      line.help = true;
      if (++at == word_count) {
        ListTable(line, line.table);
        return 0;
      }
    }
    const char* word = words[at];
    if (word[0] == '@') return RunCommandFile(line, word);

    const Match match = MatchWord(line, word);
    if (match.count == 0) {
      return RefuseWithTexts(line.context, NLE_CONTROL_UNKNOWN_COMMAND, line.path_text, word, line.path_text);
    }
    if (match.count > 1) {
      ListCandidates(line.context, word, line.table, match.candidates, match.count);
      return 0;
    }
    const std::int32_t index = match.candidates[0];
    const NlCommandEntry& row = line.table[index];
    const std::int32_t following = word_count - at - 1;
    if (IsModifier(row)) {
      if (line.mode != NLCP_NONE) return Refuse(line.context, NLE_CONTROL_SECOND_MODIFIER);
      AppendToPathText(line, row.name);
      line.mode = row.flags & NLCP_MODE_BITS;
      const bool repeat = (row.flags & NLCP_REPEAT) != 0;
      if (following == 0 || (following == 1 && repeat)) {
        ListTable(line, line.table);
        return 0;
      }
      if (repeat) line.repeat_text = words[++at];
      ++at;
      continue;
    }
    if ((row.flags & NLCP_KEYWORD) != 0) {
      AddToPath(line, index);
      AppendToPathText(line, row.name);
      if (following == 0) {
        ListTable(line, SubtableOf(row));
        return 0;
      }
      line.table = SubtableOf(row);
      ++at;
      continue;
    }
    return RunCommand(line, index, words, at, word_count);
  }
}

}  // namespace
}  // namespace kelnl::cmdint

namespace kelnl::cmdint {

std::int32_t InterpretLineWords(NlGlobalContext* context, std::int32_t help_facility, char** words,
                                std::int32_t word_count, const NlCommandEntry* table, std::uint32_t flags,
                                void* user_data, std::int32_t file_nesting) {
  if (words == nullptr || word_count < 1 || table == nullptr) return 0;
  LineState line{context, help_facility, flags, user_data, table};
  line.file_nesting = file_nesting;
  return InterpretWords(line, words, word_count);
}

}  // namespace kelnl::cmdint

extern "C" int32_t nlcpdo(NlGlobalContext* context, int32_t help_facility, char** words, int32_t word_count,
                          const NlCommandEntry* table, uint32_t flags, void* user_data) {
  return kelnl::cmdint::InterpretLineWords(context, help_facility, words, word_count, table, flags, user_data, 0);
}
