// Creation, state checks, info and the operation table of every kind.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "diagnostics/stream_eof.h"
#include "kelnl/nlerrors.h"
#include "tests/diagnostics/stream_test_support.h"
#include "tests/support/alloc_sweep.h"
#include "tests/support/test_files.h"

namespace kelnl::testing {
namespace {

TEST(StreamInit, FirstKindPresentWinsAndRefusalsLeaveNothing) {
  NlDiagStream* members[2] = {nullptr, nullptr};
  const std::pair<std::uint8_t, std::uint16_t> choices[] = {
      {1 | 4, NLDS_KIND_STANDARD_OUTPUT}, {2 | 16, NLDS_KIND_STANDARD_ERROR}, {4 | 16 | 64, NLDS_KIND_FILE}, {16, NLDS_KIND_PAIR}};
  for (const auto& [bits, kind] : choices) {
    NlDiagStream* stream = nullptr;
    void* argument = kind == NLDS_KIND_PAIR ? members : nullptr;
    ASSERT_EQ(nldsinit(nullptr, &stream, nullptr, bits, NLDS_OPTION_APPEND, argument), 0);
    EXPECT_EQ(stream->kind, kind);
    EXPECT_EQ(stream->state, NLDS_STATE_INITIALISED) << "created closed";
    EXPECT_EQ(stream->options, kind <= NLDS_KIND_STANDARD_ERROR ? 0 : NLDS_OPTION_APPEND);
    Destroy(stream);
  }
  NlPrimaryErrorRecord errors{};
  NlDiagStream sentinel{};
  NlDiagStream* slot = &sentinel;
  EXPECT_EQ(nldsinit(&errors, &slot, nullptr, 8 | 1, 0, nullptr), NLE_STREAM_KIND_REFUSED);
  EXPECT_EQ(slot, &sentinel) << "refused before the slot is touched";
  EXPECT_EQ(nldsinit(&errors, &slot, nullptr, 32, 0, nullptr), NLE_STREAM_KIND_UNSUPPORTED);
  EXPECT_EQ(slot, nullptr);
  EXPECT_EQ(nldsinit(&errors, nullptr, nullptr, 1, 0, nullptr), NLE_STREAM_NULL);
  EXPECT_EQ(nldsinit(&errors, &slot, nullptr, 16, 0, nullptr), NLE_PAIR_NO_MEMBERS);
  EXPECT_EQ(Codes(errors), (std::vector<int>{201, 200, 277})) << "204 is returned, not pushed";

  // A name that cannot be built carries the file-name layer's detail.
  TempDir dir;
  const std::string base = "absent", directory = dir.path().string();
  NlFileNameDesc desc = DescriptorFor(base);
  desc.explicit_directory = directory.data();
  desc.explicit_directory_length = static_cast<std::uint32_t>(directory.size());
  desc.flags = NLFN_MUST_EXIST;
  EXPECT_EQ(nldsinit(&errors, &slot, nullptr, NLDS_KIND_FILE, 0, &desc), NLE_FILE_NAME_FAILED);
  EXPECT_EQ(slot, nullptr);
  EXPECT_EQ(errors.os_facility, 3);
  EXPECT_EQ(errors.os_error.operation, static_cast<std::uint32_t>(NLFN_NOT_FOUND));
}

TEST(StreamInit, AllocationFailuresGive202AndKeepNothing) {
  TempDir dir;
  const std::string path = dir.File("sweep.trc");
  NlFileNameDesc desc = DescriptorFor(path);
  NlDiagStream* members[2] = {nullptr, nullptr};
  const std::pair<std::uint8_t, void*> requests[] = {
      {NLDS_KIND_STANDARD_OUTPUT, nullptr}, {NLDS_KIND_FILE, &desc}, {NLDS_KIND_PAIR, members}};
  for (const auto& [bits, argument] : requests) {
    NlDiagStream* stream = nullptr;
    const long allocations = SweepExpectingCode(
        [&] {
          const std::int32_t code = nldsinit(nullptr, &stream, nullptr, bits, 0, argument);
          EXPECT_EQ(stream == nullptr, code != 0);
          return code;
        },
        NLE_STREAM_NO_MEMORY, [&] {
          if (stream != nullptr) Destroy(stream);
        });
    EXPECT_EQ(allocations, bits == NLDS_KIND_FILE ? 3 : 2) << "record, kind data and a file's name";
  }
}

TEST(StreamState, NullUninitialisedAndClosedStreamsAreRefused) {
  NlPrimaryErrorRecord errors{};
  NlDiagStream blank{};
  char buffer[8];
  for (NlDiagStream* stream : {static_cast<NlDiagStream*>(nullptr), &blank}) {
    const std::int32_t expected = stream == nullptr ? NLE_STREAM_NULL : NLE_STREAM_NOT_INITIALISED;
    EXPECT_EQ(nldsopen(&errors, stream), expected);
    EXPECT_EQ(nldsclose(&errors, stream), expected);
    EXPECT_EQ(nldsflush(&errors, stream), expected);
    EXPECT_EQ(nldsread(&errors, stream, buffer, sizeof buffer, nullptr), expected);
    EXPECT_EQ(nldswrite(&errors, stream, "x", 1), expected);
    EXPECT_EQ(nldsfprintf(&errors, stream, "%d", 1), expected);
    EXPECT_EQ(nldsinfo(&errors, stream, nullptr, nullptr, nullptr), expected);
  }
  NlDiagStream* slot = nullptr;
  EXPECT_EQ(nldsdestroy(&errors, nullptr), NLE_STREAM_NULL);
  EXPECT_EQ(nldsdestroy(&errors, &slot), NLE_STREAM_NULL);
  slot = &blank;
  EXPECT_EQ(nldsdestroy(nullptr, &slot), NLE_STREAM_NOT_INITIALISED) << "a missing record is no crash";

  NlDiagStream* stream = NewStream(NLDS_KIND_STANDARD_ERROR);
  errors = NlPrimaryErrorRecord{};
  EXPECT_EQ(nldsflush(&errors, stream), NLE_STREAM_NOT_OPEN);
  EXPECT_EQ(nldsclose(&errors, stream), NLE_STREAM_NOT_OPEN);
  EXPECT_EQ(nldsread(&errors, stream, buffer, sizeof buffer, nullptr), NLE_STREAM_NOT_READABLE);
  EXPECT_EQ(Codes(errors), (std::vector<int>{206, 206, 216}));
  Destroy(stream);
}

// A file's name in the information is what the log and trace openings report as their names.
TEST(StreamInfo, FilesReportTheirOptionsAndStandardStreamsNothing) {
  TempDir dir;
  NlDiagStream* file = NewFileStream(dir.File("info.trc"), NLDS_OPTION_APPEND);
  NlDiagStream* output = NewStream(NLDS_KIND_STANDARD_OUTPUT);
  std::uint32_t kind = 0, options = 0;
  unsigned char info[NLDS_FILE_INFO_SIZE];
  ASSERT_EQ(nldsinfo(nullptr, file, &kind, &options, info), 0);
  EXPECT_EQ(std::make_pair(kind, options), std::make_pair(NLDS_KIND_FILE, NLDS_OPTION_APPEND));

  std::memset(info, 0xEE, sizeof info);
  ASSERT_EQ(nldsinfo(nullptr, output, &kind, &options, info), 0);
  EXPECT_EQ(std::make_pair(kind, options), std::make_pair(NLDS_KIND_STANDARD_OUTPUT, 0u));
  EXPECT_EQ(info[0], 0xEE) << "a standard stream leaves the buffer alone";

  EXPECT_EQ(nldseof(output), 0) << "the terminal always counts as ended";
  EXPECT_EQ(nldseof(file), 0) << "so does a file without a handle";
  for (NlDiagStream* each : {file, output}) Destroy(each);
}

}  // namespace
}  // namespace kelnl::testing
