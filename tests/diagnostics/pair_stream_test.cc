// Pairs: every call reaches both members, and a member's failure becomes the pair's code.
#include <gtest/gtest.h>

#include <string>

#include "kelnl/nlds.h"
#include "kelnl/nlerrors.h"
#include "tests/diagnostics/stream_test_support.h"
#include "tests/support/test_files.h"

namespace kelnl::testing {
namespace {

TEST(PairStream, WritesReachBothMembers) {
  TempDir dir;
  NlDiagStream* first = NewFileStream(dir.File("first.log"));
  NlDiagStream* second = NewFileStream(dir.File("second.log"));
  NlDiagStream* members[2] = {first, second};
  NlDiagStream* pair = NewStream(NLDS_KIND_PAIR, members);
  NlPrimaryErrorRecord errors{};
  ASSERT_EQ(nldswrite(&errors, pair, "raw ", 4), 0);
  ASSERT_EQ(nldsfprintf(&errors, pair, "%s %d", "formatted", 2), 0) << "each member gets its own argument list";
  ASSERT_EQ(nldsflush(&errors, pair), 0);
  EXPECT_EQ(dir.Read("first.log"), "raw formatted 2");
  EXPECT_EQ(dir.Read("second.log"), "raw formatted 2");
  ASSERT_EQ(nldsclose(&errors, pair), 0);
  EXPECT_NE(first->state & NLDS_STATE_OPEN, 0) << "the members stay the caller's";
  for (NlDiagStream* stream : {pair, second, first}) Destroy(stream);
}

TEST(PairStream, AFailingFirstMemberStillLetsTheSecondWrite) {
  TempDir dir;
  NlDiagStream* broken = NewFileStream(dir.File("missing-directory/first.log"));
  NlDiagStream* second = NewFileStream(dir.File("second.log"));
  NlDiagStream* members[2] = {broken, second};
  NlDiagStream* pair = NewStream(NLDS_KIND_PAIR, members);
  NlPrimaryErrorRecord errors{};
  EXPECT_EQ(nldswrite(&errors, pair, "a", 1), NLE_PAIR_WRITE_FAILED);
  EXPECT_EQ(nldsfprintf(&errors, pair, "b"), NLE_PAIR_PRINT_FAILED);
  EXPECT_EQ(Codes(errors), (std::vector<int>{231, 274, 231, 275}));
  EXPECT_EQ(nldsflush(nullptr, pair), NLE_PAIR_FLUSH_FAILED) << "the broken member never opened";
  EXPECT_EQ(nldsread(nullptr, pair, nullptr, 0, nullptr), NLE_STREAM_NOT_READABLE);
  ASSERT_EQ(nldsflush(nullptr, second), 0);
  EXPECT_EQ(dir.Read("second.log"), "ab");

  // A pair whose members were closed first still closes and can be destroyed; the flush before
  // the close failed, and that is the result.
  errors = NlPrimaryErrorRecord{};
  ASSERT_EQ(nldsclose(&errors, second), 0);
  EXPECT_EQ(nldsclose(&errors, pair), NLE_PAIR_FLUSH_FAILED);
  EXPECT_EQ(pair->state & NLDS_STATE_OPEN, 0);
  EXPECT_EQ(Codes(errors), (std::vector<int>{206, 206, 276}));
  for (NlDiagStream* stream : {pair, second, broken}) Destroy(stream);
}

}  // namespace
}  // namespace kelnl::testing
