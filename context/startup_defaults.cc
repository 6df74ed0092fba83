// nlstdgo: the startup of a server with the library's own defaults.
#include "context/startup_steps.h"

namespace kelnl::startup {
namespace {

// A server starts whatever its configuration holds: no source, message file or trace failure
// stops it.
constexpr std::uint32_t kServerFlags = NLSTD_SOURCE_ERRORS_FORGIVEN | NLSTD_READ_SYSTEM_FILE | NLSTD_OPEN_TRACE |
                                       NLSTD_OPEN_LOG | NLSTD_NO_LOG_TEST_OPEN | NLSTD_MESSAGE_ERRORS_FORGIVEN |
                                       NLSTD_TRACE_ERRORS_FORGIVEN | NLSTD_TTY_NOT_TERMINAL;
static_assert(kServerFlags == 0xEE9);

}  // namespace

// The block nlstdgo starts with: the system parameter file only, the server's trace and log,
// no banner and no locks.
void FillDefaultBlock(NlStartupParameters* block) {
  *block = NlStartupParameters{};
  block->flags = kServerFlags;
  block->trace_file_parameter = "TRACE_FILE_SERVER";
  block->trace_directory_parameter = "TRACE_DIRECTORY_SERVER";
  block->trace_level_parameter = "TRACE_LEVEL_SERVER";
  block->trace_events_parameter = "TRACE_MASK_SERVER";
  block->trace_filters_parameter = "TRACE_FUNCTIONS_SERVER";
  block->trace_file_count_parameter = "TRACE_FILENO_SERVER";
  block->trace_time_stamp_parameter = "TRACE_TIMESTAMP_SERVER";
  block->trace_secondary_level_parameter = "TRACE_PERCENT_FREE_SERVER";
  block->trace_file_length_parameter = "TRACE_FILELEN_SERVER";
  block->log_file_parameter = "LOG_FILE_SERVER";
  block->log_directory_parameter = "LOG_DIRECTORY_SERVER";
  block->system_file.base_name = "brisol";
  block->system_file.base_name_length = 6;
  block->system_file.extension = "kel";
  block->system_file.extension_length = 3;
  block->trace_file.base_name = "svr";
  block->trace_file.base_name_length = 3;
  block->trace_file.extension = "trc";
  block->trace_file.extension_length = 3;
  block->trace_file.flags = NLFN_UNIQUE_NAME;
  block->log_file.base_name = "brisol";
  block->log_file.base_name_length = 6;
  block->log_file.extension = "log";
  block->log_file.extension_length = 3;
}

}  // namespace kelnl::startup

extern "C" int32_t nlstdgo(NlGlobalContext** context_slot, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, char* error_buffer,
                size_t error_buffer_size, size_t* error_length) {
  NlStartupParameters block;
  kelnl::startup::FillDefaultBlock(&block);
  return nlstdgg(context_slot, &block, error_buffer, error_buffer_size, error_length);
}
