// A startup block over a temporary product home: what the startup tests share.
#ifndef KELNL_TESTS_CONTEXT_STARTUP_SUPPORT_H
#define KELNL_TESTS_CONTEXT_STARTUP_SUPPORT_H

#include "kelnl/nlstd.h"
#include "tests/support/product_home.h"

namespace kelnl::testing {

// A block reading the given sources and opening the log as the client's parameters say.
inline NlStartupParameters StartupBlock(std::uint32_t flags) {
  NlStartupParameters block{};
  block.flags = flags;
  block.log_file_parameter = "log_file_client";
  block.log_directory_parameter = "log_directory_client";
  block.trace_file_parameter = "trace_file_client";
  block.trace_directory_parameter = "trace_directory_client";
  block.trace_level_parameter = "trace_level_client";
  block.log_file.base_name = "client";
  block.log_file.base_name_length = 6;
  block.log_file.extension = "log";
  block.log_file.extension_length = 3;
  block.trace_file.base_name = "client";
  block.trace_file.base_name_length = 6;
  block.trace_file.extension = "trc";
  block.trace_file.extension_length = 3;
  return block;
}

}  // namespace kelnl::testing

#endif
