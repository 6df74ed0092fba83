// What the protocol loader and the checkpoint load leave in a trace that is on (entry and exit
// lines of the other operations come from the same tracing, pinned by the address traces).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "kelnl/nlckp.h"
#include "kelnl/nlpa.h"
#include "tests/diagnostics/trace_test_support.h"
#include "tests/files/file_test_helpers.h"

namespace kelnl::testing {
namespace {

using TracedOperations = TraceTest;

TEST_F(TracedOperations, ProtocolFileAndCheckpointLines) {
  StartTracedContext();
  TempDir working;
  const std::string protocol = working.Write("protocol.kel", "a = 1\n");
  NlParameterTable* table = nullptr;
  {
    InDirectory cwd(working.path());
    EXPECT_EQ(nlpaload(context_, &table), 0);
  }
  nlpatrm(nullptr, &table);
  const std::string directory = dir_.path().string();
  NlFileNameDesc desc{};
  desc.explicit_directory = directory.c_str();
  desc.explicit_directory_length = static_cast<uint32_t>(directory.size());
  dir_.Write("chkpoint.ckp", "a = 1\n");
  ASSERT_EQ(nlckpclp_ckp_load_ptable(context_, &table, &desc), 0);
  nlpatrm(nullptr, &table);

  const std::string file = directory + static_cast<char>(std::filesystem::path::preferred_separator);
  EXPECT_EQ(Lines("trace.trc"), (std::vector<std::string>{
                                    "nlpaload: protocol parameters read from " + protocol,
                                    "nlckpclp_ckp_load_ptable: entry",
                                    "nlckpclp_ckp_load_ptable: checkpoint file " + file + "chkpoint.ckp",
                                    "nlckpclp_ckp_load_ptable: exit, result 0",
                                }));
}

}  // namespace
}  // namespace kelnl::testing
