// The state of one parameter file update (nlspfile), shared by its preparation, the rewrite of
// the existing statements and the block of added parameters.
#ifndef KELNL_PARAMS_UPDATE_JOB_H
#define KELNL_PARAMS_UPDATE_JOB_H

#include <cstdio>

#include "kelnl/nlpa.h"
#include "kelnl/nlstd.h"
#include "params/update_lines.h"

namespace kelnl::params {

// File names are built into buffers of this size (one more byte keeps room for a terminator).
inline constexpr std::uint32_t kUpdateNameBuffer = 256;

// The fixed working storage, allocated zeroed in one block.
struct UpdateWorkspace {
  char file_name[kUpdateNameBuffer + 1];
  char backup_name[kUpdateNameBuffer + 1];
  std::uint32_t file_name_length;
  std::uint32_t backup_name_length;
  char statement[kUpdateStatementBuffer];
  LineRecord piece;  // lines of a group too long to keep, written as soon as they are read
  LineRecord records[kUpdateGroupLines];
};

enum class UpdateOutcome { kFine, kFileFailed, kNoMemory };

struct UpdateJob {
  NlGlobalContext* context;
  NlParameterTable* update;
  NlParameterTable* old_parameters;
  std::FILE* backup;  // the previous file, read
  std::FILE* output;  // the new file, written
  UpdateWorkspace* workspace;
  UpdateOutcome outcome;
  bool in_cut_line;         // the last piece read was cut: the next one goes on with its line

  bool Failed() const { return outcome != UpdateOutcome::kFine; }
  // Keeps the first failure only: it is the one that explains the rest.
  void FileFailed();
  void OutOfMemory();
  // Reports a code returned by the file layer; a non-zero code marks the job failed.
  void Check(std::int32_t code);
  void Write(const char* text, std::uint32_t length);
  void WriteLine(const LineRecord& record) { Write(record.line, record.length); }
  // Reads the next piece of the backup into record and classifies it; kind kEndOfFile at the end
  // of the file and when reading fails (the job is then failed).
  void ReadPiece(LineRecord& record);
};

// Copies the existing file from the backup into the new file statement by statement,
// rewriting the statements whose values the update table changes.
void RewriteStatements(UpdateJob& job);

// Appends the parameters of the update table that the old file does not hold, between a
// header line and a closing line.
void AppendAddedParameters(UpdateJob& job, const char* author, std::uint32_t author_length);

// True when code means that the parameter operations ran out of memory.
bool IsMemoryFailure(std::int32_t code);

}  // namespace kelnl::params

#endif
