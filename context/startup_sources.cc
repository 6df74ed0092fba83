// Reading the parameter sources of a startup into one table: the system parameter file, the
// local parameter file, then the command-line parameters, so that later sources override
// earlier ones.
#include <cstring>

#include "context/startup_steps.h"
#include "kelnl/nlerrors.h"
#include "platform/core/allocator.h"

namespace kelnl::startup {
namespace {

// Fills the parts of the system file's descriptor that the block leaves out. The administration
// directory lives below the network directory of the product home, so both components are
// completed together.
void CompleteSystemFile(NlFileNameDesc* desc) {
  if (desc->first_component_length == 0 && desc->second_component_length == 0) {
    desc->first_component = "network";
    desc->first_component_length = 7;
    desc->second_component = "admin";
    desc->second_component_length = 5;
  }
  if (desc->base_name_length == 0) desc->base_name = "brisol", desc->base_name_length = 6;
  if (desc->extension_length == 0) desc->extension = "kel", desc->extension_length = 3;
  if (desc->environment_variable_length == 0) {
    desc->environment_variable = "VQT_ADMIN";
    desc->environment_variable_length = 9;
  }
}

// The reader takes command-line parameters as terminated strings; the block's text need not be.
std::int32_t ReadCommandLine(NlPrimaryErrorRecord* errors, NlParameterTable* table, const char* text,
                             std::uint32_t length) {
  UniqueBlock<char> copy(static_cast<char*>(Allocate(length + std::size_t{1})));
  if (copy == nullptr) return nlepepe(errors, kLibraryFacility, NLE_PARAM_NO_MEMORY, 2);
  std::memcpy(copy.get(), text, length);
  copy.get()[length] = '\0';
  char* argv[1] = {copy.get()};
  return nlpains(errors, &table, NLPA_COMMAND_LINE, nullptr, nullptr, 0, nullptr, nullptr, 1, argv);
}

void RecordNames(NlParameterTable* table, NlStartupResults* results) {
  NlParamFileReport report{};
  if (nlpainf(nullptr, table, &report) != 0) return;
  const struct {
    const char* name;
    std::uint32_t length;
    char* field;
    std::uint32_t* field_length;
  } names[] = {
      {report.first_file_name, report.first_name_length, results->system_name, &results->system_name_length},
      {report.second_file_name, report.second_name_length, results->local_name, &results->local_name_length},
      {report.third_file_name, report.third_name_length, results->third_name, &results->third_name_length},
  };
  for (const auto& entry : names) {
    if (entry.length >= NLSTD_NAME_CAPACITY) continue;
    std::memcpy(entry.field, entry.name, entry.length);
    entry.field[entry.length] = '\0';
    *entry.field_length = entry.length;
  }
}

void ClearNames(NlStartupParameters* parameters) {
  parameters->system_name[0] = parameters->local_name[0] = parameters->third_name[0] = '\0';
  parameters->system_name_length = parameters->local_name_length = parameters->third_name_length = 0;
}

}  // namespace

std::int32_t CreateEmptyTable(NlPrimaryErrorRecord* errors, NlParameterTable** table_slot, NlGlobalContext* context) {
  return nlpainso(errors, table_slot, NLPA_CREATE_ONLY, nullptr, nullptr, 0, nullptr, nullptr, 0, nullptr,
                  kProfileSourceKind, nullptr, context);
}

bool RecordHoldsErrors(const NlPrimaryErrorRecord& record) { return record.count != 0; }

std::int32_t ReadParameterSources(NlGlobalContext* context, NlStartupParameters* parameters,
                                  NlStartupResults* results, NlParameterTable* table) {
  parameters->system_status = parameters->local_status = parameters->cmdline_status = NLSTD_STATUS_NOT_READ;
  ClearNames(parameters);
  std::int32_t source_code = 0;
  std::int32_t system_code = 0;

  // Only the system file goes through the loader that may switch to directory-stored
  // configuration; the local file and the command line are always plain parameter text.
  if ((parameters->flags & NLSTD_READ_SYSTEM_FILE) != 0) {
    NlFileNameDesc system_file = parameters->system_file;
    CompleteSystemFile(&system_file);
    system_code = nlpainso(&results->system_errors, &table, 0, &system_file, nullptr, 0, nullptr, nullptr, 0, nullptr,
                           kProfileSourceKind, nullptr, context);
    if (system_code == 0) parameters->system_status = NLSTD_STATUS_READ;
  }
  if ((parameters->flags & NLSTD_READ_LOCAL_FILE) != 0) {
    const std::int32_t code = nlpains(&results->local_errors, &table, NLPA_LOCAL_FILE, &parameters->local_file,
                                      nullptr, 0, nullptr, nullptr, 0, nullptr);
    if (code == NLE_PARAM_FILE_NOT_OPENED) {
      // A component need not have a local file: its absence is no error.
      results->local_errors = NlPrimaryErrorRecord{};
      parameters->local_status = NLSTD_STATUS_NOT_READ;
    } else {
      if (code != 0) source_code = code;
      parameters->local_status = code != 0 ? NLSTD_STATUS_READ_WITH_ERRORS : NLSTD_STATUS_READ;
    }
  }
  if ((parameters->flags & NLSTD_READ_COMMAND_LINE) != 0 && parameters->cmdline_text != nullptr) {
    const std::int32_t code =
        ReadCommandLine(&results->cmdline_errors, table, parameters->cmdline_text, parameters->cmdline_length);
    if (code != 0) source_code = code;
    parameters->cmdline_status = code != 0 ? NLSTD_STATUS_READ_WITH_ERRORS : NLSTD_STATUS_READ;
  }
  RecordNames(table, results);

  if (system_code == NLE_PARAM_FILE_NOT_OPENED) {
    parameters->system_status = NLSTD_STATUS_NOT_READ;
    // A file included from the command line stands in for a missing system file.
    if (results->third_name_length != 0) {
      results->system_errors = NlPrimaryErrorRecord{};
    } else {
      source_code = NLE_PARAM_FILE_NOT_OPENED;
    }
  } else if (system_code != 0) {
    parameters->system_status = NLSTD_STATUS_READ_WITH_ERRORS;
    source_code = system_code;
  }
  return source_code;
}

bool InstallParameterTable(NlGlobalContext* context, NlParameterTable** fresh, bool sources_failed) {
  if (sources_failed && context->parameters != nullptr) return false;
  nlpatrm(nullptr, &context->parameters);
  context->parameters = *fresh;
  *fresh = nullptr;
  return true;
}

void CopySourceNames(NlStartupParameters* parameters, const NlStartupResults* results) {
  const struct {
    std::int32_t status;
    const char* name;
    std::uint32_t length;
    char* field;
    std::uint32_t* field_length;
  } names[] = {
      {parameters->system_status, results->system_name, results->system_name_length, parameters->system_name,
       &parameters->system_name_length},
      {parameters->local_status, results->local_name, results->local_name_length, parameters->local_name,
       &parameters->local_name_length},
      {parameters->cmdline_status, results->third_name, results->third_name_length, parameters->third_name,
       &parameters->third_name_length},
  };
  for (const auto& entry : names) {
    if (entry.status == NLSTD_STATUS_NOT_READ || entry.length >= NLSTD_NAME_CAPACITY) continue;
    std::memcpy(entry.field, entry.name, entry.length);
    entry.field[entry.length] = '\0';
    *entry.field_length = entry.length;
  }
}

}  // namespace kelnl::startup
