// What the steps of a startup report back to it: private to startup, zeroed at each use.
#ifndef KELNL_CONTEXT_STARTUP_RESULTS_H
#define KELNL_CONTEXT_STARTUP_RESULTS_H

#include <cstdint>

#include "kelnl/nlep.h"
#include "kelnl/nlstd.h"

struct NlStartupResults {
  std::int32_t message_code;
  std::int32_t source_code;
  std::int32_t log_code;
  std::int32_t trace_code;
  std::uint32_t system_name_length;
  std::uint32_t local_name_length;
  std::uint32_t third_name_length;
  std::uint32_t trace_name_length;
  std::uint32_t log_name_length;
  char system_name[NLSTD_NAME_CAPACITY];
  char local_name[NLSTD_NAME_CAPACITY];
  char third_name[NLSTD_NAME_CAPACITY];
  char trace_name[NLSTD_NAME_CAPACITY];
  char log_name[NLSTD_NAME_CAPACITY];
  NlPrimaryErrorRecord system_errors;
  NlPrimaryErrorRecord local_errors;
  NlPrimaryErrorRecord cmdline_errors;
  NlPrimaryErrorRecord log_errors;
  NlPrimaryErrorRecord trace_errors;
};

#endif
