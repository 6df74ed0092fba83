// Opening the log at startup: the one stream in the global context's log_stream.
#ifndef KELNL_DIAGNOSTICS_LOG_OPEN_H
#define KELNL_DIAGNOSTICS_LOG_OPEN_H

#include <cstdint>

#include "context/startup_results.h"
#include "kelnl/nlstd.h"

// Opens, keeps, replaces or drops the context's log as the startup block and the parameter table
// say (flag NLSTD_OPEN_LOG; the logging switch parameter false drops it). The log file is
// appended to and never cycles; unless NLSTD_NO_LOG_TEST_OPEN is set it is test-opened for
// appending first, and 278 results when that fails. In every failure the log that was in place
// stays. Reports into results->log_errors, stores the result in results->log_code and returns it;
// the log's display name goes to parameters->log_name and log_name_length.
std::int32_t nldlopen(NlGlobalContext* global_context, NlStartupParameters* parameters, NlStartupResults* results);

#endif
