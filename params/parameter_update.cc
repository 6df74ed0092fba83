// nlspfile: writes changed and added parameters back into a parameter file. The file is moved
// to the backup name, read from there and written anew under its own name. The backup always
// keeps the previous text: a read or write that fails on the way ends the rewrite and leaves the
// new file short, without a result saying so (callers compare it with the backup); only running
// out of memory puts the previous file back, since nothing of the update could be trusted.
#include <cerrno>
#include <cstring>

#include "kelnl/nler.h"
#include "kelnl/nlerrors.h"
#include "kelnl/nlsp.h"
#include "kelnl/snlf.h"
#include "platform/core/allocator.h"
#include "params/update_hook.h"
#include "params/update_job.h"

namespace kelnl::params {

// Operating-system failures of an update are recorded under this facility.
constexpr std::int32_t kUpdateOsFacility = 4;

bool IsMemoryFailure(std::int32_t code) {
  return code == NLE_PARAM_NO_MEMORY || code == NLE_PARAM_INDEX_FAILED;
}

void UpdateJob::FileFailed() {
  if (!Failed()) outcome = UpdateOutcome::kFileFailed;
}

void UpdateJob::OutOfMemory() {
  if (!Failed()) outcome = UpdateOutcome::kNoMemory;
}

void UpdateJob::Check(std::int32_t code) {
  if (code != 0) FileFailed();
}

void UpdateJob::Write(const char* text, std::uint32_t length) {
  NlOsErrorRecord record{};
  Check(snlfwrt(&record, output, text, length));
}

void UpdateJob::ReadPiece(LineRecord& record) {
  NlOsErrorRecord os_record{};
  std::uint32_t length = 0;
  const bool starts_line = !in_cut_line;
  const std::int32_t code = snlfglh(&os_record, backup, record.line, kUpdateLineBuffer, &length);
  if (code != 0) {
    record.kind = kEndOfFile;
    record.length = 0;
    in_cut_line = false;
    if (code != SNLF_LINE_END_OF_FILE) FileFailed();
    return;
  }
  record.length = length;
  ClassifyLine(record, starts_line);
  in_cut_line = record.cut;
}

namespace {

NlErrorStack* StackOf(NlGlobalContext* context) { return context->error_stack; }

std::int32_t RecordOsFailure(NlGlobalContext* context, const NlOsErrorRecord& record) {
  nlerrsc(StackOf(context), kUpdateOsFacility, &record);
  return NLSP_FILE_FAILED;
}

std::int32_t NoMemory(NlGlobalContext* context) {
  nlerrec(StackOf(context), 1, NLE_UPDATE_NO_MEMORY, 0);
  return NLSP_NO_MEMORY;
}

// Builds a file's name, terminated. A name that fills the whole buffer is refused: it could not
// be told from one that was cut short.
bool BuildName(NlOsErrorRecord* record, const NlFileNameDesc* desc, char* buffer, std::uint32_t* length) {
  if (nlfncons(record, desc, buffer, kUpdateNameBuffer, length) != 0) return false;
  if (*length >= kUpdateNameBuffer) {
    *record = NlOsErrorRecord{NLFN_NAME_TOO_LONG, 0, kUpdateNameBuffer};
    return false;
  }
  buffer[*length] = '\0';
  return true;
}

bool HoldsMemoryFailure(const NlPrimaryErrorRecord& record) {
  for (int i = 0; i < record.count && i < NL_PRIMARY_ERROR_SLOTS; ++i) {
    if (IsMemoryFailure(record.errors[i].error)) return true;
  }
  return false;
}

// Reads a parameter file into a new table; false when memory ran out (a partial table would
// make parameters look absent). A file that cannot be opened gives an empty table. The reading
// is judged on a record of its own, then handed on to record as nlpains would leave it.
bool ReadParameters(NlPrimaryErrorRecord* record, const NlFileNameDesc* desc, NlParameterTable** table) {
  NlPrimaryErrorRecord outcome{};
  nlpains(&outcome, table, 0, desc, nullptr, 0, nullptr, nullptr, 0, nullptr);
  if (record != nullptr && outcome.count != 0) *record = outcome;
  if (*table != nullptr && !HoldsMemoryFailure(outcome)) return true;
  nlpatrm(nullptr, table);
  return false;
}

enum class FileState { kMissing, kReadable, kUnreadable, kNoMemory };

FileState Probe(const UpdateWorkspace& workspace) {
  NlOsErrorRecord record{};
  for (const std::int32_t mode : {0, 4}) {  // exists, then readable
    const std::int32_t code = snlfacc(&record, mode, workspace.file_name, workspace.file_name_length);
    if (code == 0) continue;
    if (record.operation == SNLF_ACCESS_NO_MEMORY) return FileState::kNoMemory;
    return mode == 0 && code == SNLF_ACCESS_NO_SUCH_FILE ? FileState::kMissing : FileState::kUnreadable;
  }
  return FileState::kReadable;
}

void Close(std::FILE** stream, UpdateJob& job) {
  if (*stream == nullptr) return;
  NlOsErrorRecord record{};
  // Buffered output reaches the disk here: a full disk shows at the close.
  job.Check(snlfchd(&record, *stream));
  *stream = nullptr;
}

// Moves the previous file back under its own name after a failed update (or removes the new
// file when there was none). A failure here is recorded as well: the file then survives only
// under the backup name.
void Undo(UpdateJob& job, bool existed) {
  UpdateWorkspace& workspace = *job.workspace;
  NlOsErrorRecord record{};
  std::int32_t code;
  if (existed) {
    code = snlfrnm(&record, workspace.backup_name, workspace.backup_name_length, workspace.file_name,
                   workspace.file_name_length);
  } else {
    code = snlfdel(&record, workspace.file_name, workspace.file_name_length);
  }
  if (code != 0 && code != SNLF_DEL_FAILED) nlerrsc(StackOf(job.context), kUpdateOsFacility, &record);
}

// A rename that reports only a failed delete of the old backup has still moved the file.
bool Moved(std::int32_t code) { return code == 0 || code == SNLF_DEL_FAILED; }

std::int32_t OpenExisting(UpdateJob& job) {
  UpdateWorkspace& workspace = *job.workspace;
  NlOsErrorRecord record{};
  if (!Moved(snlfrnm(&record, workspace.file_name, workspace.file_name_length, workspace.backup_name,
                     workspace.backup_name_length)))
    return RecordOsFailure(job.context, record);
  // A failed open leaves the file under the backup name only, where the caller finds it.
  if (snlfohd(&record, SNLF_MODE_READ, workspace.backup_name, workspace.backup_name_length, &job.backup) != 0)
    return RecordOsFailure(job.context, record);
  if (snlfohd(&record, SNLF_MODE_WRITE, workspace.file_name, workspace.file_name_length, &job.output) != 0) {
    NlOsErrorRecord ignored{};
    snlfchd(&ignored, job.backup);
    job.backup = nullptr;
    return RecordOsFailure(job.context, record);
  }
  return NLSP_OK;
}

std::int32_t Run(UpdateJob& job, const NlFileNameDesc* file, const NlFileNameDesc* backup, const char* author,
                 std::uint32_t author_length) {
  UpdateWorkspace& workspace = *job.workspace;
  NlOsErrorRecord record{};
  if (!BuildName(&record, file, workspace.file_name, &workspace.file_name_length) ||
      !BuildName(&record, backup, workspace.backup_name, &workspace.backup_name_length))
    return RecordOsFailure(job.context, record);
  // Moving a file onto its own name and then writing it anew would truncate what is being read.
  if (std::strcmp(workspace.file_name, workspace.backup_name) == 0)
    return RecordOsFailure(job.context, NlOsErrorRecord{SNLF_RNM_MOVE_FAILED, EINVAL, 0});
  if (!ReadParameters(job.context->primary_errors, file, &job.old_parameters)) return NoMemory(job.context);

  const FileState state = Probe(workspace);
  if (state == FileState::kNoMemory) return NoMemory(job.context);
  if (state == FileState::kUnreadable) return NLSP_NOT_READABLE;
  const bool existed = state == FileState::kReadable;
  if (existed) {
    update_hook::RunBeforeMove();
    const std::int32_t opened = OpenExisting(job);
    if (opened != NLSP_OK) return opened;
    // What is rewritten and what counts as already present must come from the same text: the
    // file as moved, whatever happened to it since it was first read.
    nlpatrm(nullptr, &job.old_parameters);
    if (!job.Failed() && !ReadParameters(nullptr, backup, &job.old_parameters)) job.OutOfMemory();
    // A case-sensitive update table would miss names the file spells differently and then
    // neither rewrite nor add them.
    job.update->flags &= ~NLPA_CASE_SENSITIVE;
    if (!job.Failed()) RewriteStatements(job);
  } else if (snlfohd(&record, SNLF_MODE_READ | SNLF_MODE_WRITE | SNLF_MODE_CREATE, workspace.file_name,
                     workspace.file_name_length, &job.output) != 0) {
    return RecordOsFailure(job.context, record);
  }
  if (!job.Failed()) AppendAddedParameters(job, author, author_length);
  Close(&job.backup, job);
  Close(&job.output, job);
  if (job.outcome != UpdateOutcome::kNoMemory) return NLSP_OK;
  Undo(job, existed);
  return NoMemory(job.context);
}

}  // namespace
}  // namespace kelnl::params

extern "C" int32_t nlspfile(NlGlobalContext* context, NlParameterTable* update, const NlFileNameDesc* file,
                            const NlFileNameDesc* backup, const char* author, uint32_t author_length) {
  using namespace kelnl::params;
  if (context == nullptr || update == nullptr || file == nullptr || backup == nullptr) return NLSP_FILE_FAILED;
  auto* workspace = static_cast<UpdateWorkspace*>(kelnl::AllocateZeroed(1, sizeof(UpdateWorkspace)));
  if (workspace == nullptr) return NoMemory(context);
  UpdateJob job{context, update, nullptr, nullptr, nullptr, workspace, UpdateOutcome::kFine, false};
  const std::int32_t result = Run(job, file, backup, author, author_length);
  nlpatrm(nullptr, &job.old_parameters);
  kelnl::Release(workspace);
  return result;
}
