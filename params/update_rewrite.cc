// The rewrite of an existing parameter file: its lines are gathered into groups, one statement
// (or one blank, comment or include line) each; a group is copied as read unless the update
// table changes one of its values.
#include <cctype>
#include <cstring>

#include "kelnl/nlerrors.h"
#include "kelnl/snlf.h"
#include "params/update_job.h"

namespace kelnl::params {
namespace {

struct Group {
  int lines = 0;  // records kept in the workspace
  std::int32_t balance = 0;
  std::int32_t values = 0;
  std::uint32_t text_length = 0;
  // Longer than the working storage holds (text, lines, or a line over one piece): its lines are
  // written as they are read and the statement is never rewritten, so nothing of it is lost.
  bool spilled = false;
};

// The update table's value for a name, when it holds one.
struct UpdateValue {
  bool held = false;
  char* text = nullptr;
  std::uint32_t length = 0;
};

UpdateValue LookUp(UpdateJob& job, const char* name) {
  NlPrimaryErrorRecord record{};
  UpdateValue value;
  const std::int32_t code = nlpagsp(&record, job.update, name, static_cast<std::uint32_t>(std::strlen(name)),
                                    0, &value.text, &value.length);
  if (IsMemoryFailure(code)) job.OutOfMemory();
  value.held = code == 0;
  return value;
}

bool SameIgnoringCase(const char* a, std::uint32_t a_length, const char* b, std::uint32_t b_length) {
  if (a_length != b_length) return false;
  for (std::uint32_t i = 0; i < a_length; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// Walks a statement's table: calls visit(name, value) for each of its parameters.
template <typename Visit>
void ForEachParameter(NlParameterTable* statement, Visit visit) {
  std::int32_t state = 0;
  char* name = nullptr;
  char* value = nullptr;
  for (;;) {
    NlPrimaryErrorRecord record{};
    nlpaseq(&record, statement, &state, &name, &value);
    if (value == nullptr) return;
    visit(name, value);
  }
}

void Copy(UpdateJob& job, const Group& group) {
  for (int i = 0; i < group.lines; ++i) job.WriteLine(job.workspace->records[i]);
}

// One parameter changed: the group becomes one line, keeping the name part of its first line
// and, for a one-line group, the comment of that line. The blanks before the comment go: they
// belonged to the old value's layout.
void ReplaceSingle(UpdateJob& job, const Group& group, const UpdateValue& value) {
  const LineRecord& first = job.workspace->records[0];
  NlOsErrorRecord record{};
  const int name_length = static_cast<int>(first.name_length);
  std::int32_t code;
  if (group.lines == 1) {
    code = snlfprh(&record, job.output, "%.*s%.*s%.*s\n", name_length, first.line, static_cast<int>(value.length),
                   value.text, static_cast<int>(first.comment_length), first.line + first.comment_start);
  } else {
    code = snlfprh(&record, job.output, "%.*s%.*s\n", name_length, first.line, static_cast<int>(value.length),
                   value.text);
  }
  job.Check(code);
}

// Several names share the statement (A, B = v): each gets a line of its own.
void WriteEach(UpdateJob& job, NlParameterTable* statement) {
  ForEachParameter(statement, [&job](const char* name, char* old_value) {
    if (job.Failed()) return;
    UpdateValue value = LookUp(job, name);
    if (!value.held) value = UpdateValue{true, old_value, static_cast<std::uint32_t>(std::strlen(old_value))};
    NlOsErrorRecord record{};
    job.Check(snlfprh(&record, job.output, "%s = %.*s\n", name, static_cast<int>(value.length), value.text));
  });
}

bool HoldsMemoryFailure(const NlPrimaryErrorRecord& record) {
  for (int i = 0; i < record.count; ++i) {
    if (IsMemoryFailure(record.errors[i].error)) return true;
  }
  return false;
}

void Rewrite(UpdateJob& job, const Group& group, NlParameterTable* statement) {
  int parameters = 0;
  bool changed = false;
  UpdateValue single;
  ForEachParameter(statement, [&](const char* name, const char* old_value) {
    if (job.Failed()) return;
    ++parameters;
    const UpdateValue value = LookUp(job, name);
    single = value;
    if (value.held && !SameIgnoringCase(value.text, value.length, old_value,
                                        static_cast<std::uint32_t>(std::strlen(old_value))))
      changed = true;
  });
  if (job.Failed()) return;
  if (!changed || (parameters == 1 && !single.held)) {
    Copy(job, group);
  } else if (parameters == 1) {
    ReplaceSingle(job, group, single);
  } else {
    WriteEach(job, statement);
  }
}

void Finish(UpdateJob& job, Group& group) {
  const LineRecord& first = job.workspace->records[0];
  if (group.lines == 1 && (first.kind == kBlankLine || first.kind == kCommentLine || first.kind == kIncludeLine)) {
    Copy(job, group);
    return;
  }
  // The statement is read as one command-line string: the reader then applies exactly the
  // grammar of the file to it.
  char* text = job.workspace->statement;
  text[group.text_length] = '\0';
  NlParameterTable* statement = nullptr;
  NlPrimaryErrorRecord record{};
  nlpains(&record, &statement, NLPA_COMMAND_LINE, nullptr, nullptr, 0, nullptr, nullptr, 1, &text);
  if (statement == nullptr || HoldsMemoryFailure(record)) {
    job.OutOfMemory();
  } else {
    Rewrite(job, group, statement);
  }
  nlpatrm(&record, &statement);
}

bool AppendText(UpdateWorkspace& workspace, Group& group, const LineRecord& line) {
  if (group.text_length + line.length >= kUpdateStatementBuffer) return false;
  std::memcpy(workspace.statement + group.text_length, line.line, line.length);
  group.text_length += line.length;
  return true;
}

void Spill(UpdateJob& job, Group& group) {
  Copy(job, group);
  group.lines = 0;
  group.spilled = true;
}

}  // namespace

void RewriteStatements(UpdateJob& job) {
  UpdateWorkspace& workspace = *job.workspace;
  Group group;
  while (!job.Failed()) {
    if (!group.spilled && group.lines == kUpdateGroupLines) Spill(job, group);
    const bool continues_line = job.in_cut_line;
    LineRecord& line = group.spilled ? workspace.piece : workspace.records[group.lines];
    job.ReadPiece(line);
    if (line.kind == kEndOfFile) {
      Copy(job, group);
      return;
    }
    const bool opens_group = group.lines == 0 && !group.spilled;
    const bool blank_or_comment = line.kind == kBlankLine || line.kind == kCommentLine;
    // The rest of a line whose group is already written, and a blank or comment line between
    // statements, are copied at once.
    if (opens_group && (continues_line || blank_or_comment)) {
      job.WriteLine(line);
      continue;
    }
    // Blank and comment lines inside a statement join it but take no part in it, as the reader
    // skips them inside a value.
    const bool takes_part = continues_line || !blank_or_comment;
    bool ends = false;
    if (takes_part) {
      group.balance += line.parenthesis_balance;
      group.values += line.has_value;
      const bool ends_by_kind = !continues_line && (line.kind == kCompleteStatement || line.kind == kIncludeLine);
      ends = ends_by_kind || (group.balance == 0 && group.values > 0);
    }
    if (group.spilled) {
      job.WriteLine(line);
    } else if (continues_line || line.cut || (takes_part && !AppendText(workspace, group, line))) {
      Spill(job, group);
      job.WriteLine(line);
    } else {
      ++group.lines;
    }
    if (ends) {
      if (!group.spilled) Finish(job, group);
      group = Group{};
    }
  }
}

}  // namespace kelnl::params
