// Creation, state checks, info and the operation table of every kind.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "diagnostics/stream_eof.h"
#include "kelnl/nlds.h"
#include "kelnl/nlerrors.h"
#include "tests/diagnostics/stream_test_support.h"
#include "tests/support/alloc_sweep.h"
#include "tests/support/test_files.h"

namespace kelnl::testing {
namespace {

TEST(StreamInit, FirstKindPresentWinsAndRefusalsLeaveNothing) {
  NlDiagStream* members[2] = {nullptr, nullptr};
  const struct {
    std::uint8_t bits;
    std::uint16_t kind;
  } choices[] = {{1 | 4, NLDS_KIND_STANDARD_OUTPUT},
                 {2 | 16, NLDS_KIND_STANDARD_ERROR},
                 {4 | 16 | 64, NLDS_KIND_FILE},
                 {16, NLDS_KIND_PAIR}};
  for (const auto& choice : choices) {
    NlPrimaryErrorRecord errors{};
    NlDiagStream* stream = nullptr;
    ASSERT_EQ(nldsinit(&errors, &stream, nullptr, choice.bits, NLDS_OPTION_APPEND, members), 0);
    EXPECT_EQ(stream->kind, choice.kind);
    EXPECT_EQ(stream->state, NLDS_STATE_INITIALISED) << "created closed";
    const bool standard = choice.kind <= NLDS_KIND_STANDARD_ERROR;
    EXPECT_EQ(stream->options, standard ? 0 : NLDS_OPTION_APPEND) << "standard kinds clear the options";
    Destroy(stream);
    EXPECT_EQ(stream, nullptr);
  }

  NlPrimaryErrorRecord errors{};
  NlDiagStream* untouched = reinterpret_cast<NlDiagStream*>(&errors);
  EXPECT_EQ(nldsinit(&errors, &untouched, nullptr, 8 | 1, 0, nullptr), NLE_STREAM_KIND_REFUSED);
  EXPECT_EQ(untouched, reinterpret_cast<NlDiagStream*>(&errors)) << "refused before the slot is touched";
  NlDiagStream* cleared = untouched;
  EXPECT_EQ(nldsinit(&errors, &cleared, nullptr, 32, 0, nullptr), NLE_STREAM_KIND_UNSUPPORTED);
  EXPECT_EQ(cleared, nullptr);
  EXPECT_EQ(nldsinit(&errors, nullptr, nullptr, 1, 0, nullptr), NLE_STREAM_NULL);
  EXPECT_EQ(nldsinit(&errors, &cleared, nullptr, 16, 0, nullptr), NLE_PAIR_NO_MEMBERS);
  EXPECT_EQ(cleared, nullptr);
  EXPECT_EQ(Codes(errors), (std::vector<int>{201, 200, 277})) << "204 is returned, not pushed";
}

TEST(StreamInit, NameThatCannotBeBuiltGives230WithTheFileLayerDetail) {
  TempDir dir;
  const std::string base = "absent";
  NlFileNameDesc desc = DescriptorFor(base);
  const std::string directory = dir.path().string();
  desc.explicit_directory = directory.data();
  desc.explicit_directory_length = static_cast<std::uint32_t>(directory.size());
  desc.flags = NLFN_MUST_EXIST;
  NlPrimaryErrorRecord errors{};
  NlDiagStream* stream = nullptr;
  EXPECT_EQ(nldsinit(&errors, &stream, nullptr, NLDS_KIND_FILE, 0, &desc), NLE_FILE_NAME_FAILED);
  EXPECT_EQ(stream, nullptr);
  EXPECT_EQ(errors.os_facility, 3);
  EXPECT_EQ(errors.os_error.operation, static_cast<std::uint32_t>(NLFN_NOT_FOUND));
}

TEST(StreamInit, AllocationFailuresGive202AndKeepNothing) {
  TempDir dir;
  const std::string path = dir.File("sweep.trc");
  NlFileNameDesc desc = DescriptorFor(path);
  NlDiagStream* members[2] = {nullptr, nullptr};
  const struct {
    std::uint8_t bits;
    void* argument;
  } requests[] = {{NLDS_KIND_STANDARD_OUTPUT, nullptr}, {NLDS_KIND_FILE, &desc}, {NLDS_KIND_PAIR, members}};
  for (const auto& request : requests) {
    NlDiagStream* stream = nullptr;
    const long allocations = SweepExpectingCode(
        [&] {
          NlPrimaryErrorRecord errors{};
          const std::int32_t code = nldsinit(&errors, &stream, nullptr, request.bits, 0, request.argument);
          if (code != 0) {
            EXPECT_EQ(stream, nullptr);
          }
          return code;
        },
        NLE_STREAM_NO_MEMORY,
        [&] {
          if (stream != nullptr) Destroy(stream);
        });
    EXPECT_EQ(allocations, request.bits == NLDS_KIND_FILE ? 3 : 2) << int{request.bits};
  }
}

TEST(StreamState, NullUninitialisedAndClosedStreamsAreRefused) {
  NlPrimaryErrorRecord errors{};
  NlDiagStream blank{};
  char buffer[8];
  std::uint32_t length = 0;
  for (NlDiagStream* stream : {static_cast<NlDiagStream*>(nullptr), &blank}) {
    const std::int32_t expected = stream == nullptr ? NLE_STREAM_NULL : NLE_STREAM_NOT_INITIALISED;
    EXPECT_EQ(nldsopen(&errors, stream), expected);
    EXPECT_EQ(nldsclose(&errors, stream), expected);
    EXPECT_EQ(nldsflush(&errors, stream), expected);
    EXPECT_EQ(nldsread(&errors, stream, buffer, sizeof buffer, &length), expected);
    EXPECT_EQ(nldswrite(&errors, stream, "x", 1), expected);
    EXPECT_EQ(nldsfprintf(&errors, stream, "%d", 1), expected);
    EXPECT_EQ(nldsinfo(&errors, stream, nullptr, nullptr, nullptr), expected);
  }
  NlDiagStream* slot = nullptr;
  EXPECT_EQ(nldsdestroy(&errors, nullptr), NLE_STREAM_NULL);
  EXPECT_EQ(nldsdestroy(&errors, &slot), NLE_STREAM_NULL);
  slot = &blank;
  EXPECT_EQ(nldsdestroy(nullptr, &slot), NLE_STREAM_NOT_INITIALISED) << "a missing record is no crash";
  EXPECT_EQ(slot, &blank);

  NlDiagStream* stream = NewStream(NLDS_KIND_STANDARD_ERROR);
  errors = NlPrimaryErrorRecord{};
  EXPECT_EQ(nldsflush(&errors, stream), NLE_STREAM_NOT_OPEN);
  EXPECT_EQ(nldsclose(&errors, stream), NLE_STREAM_NOT_OPEN);
  EXPECT_EQ(nldsread(&errors, stream, buffer, sizeof buffer, &length), NLE_STREAM_NOT_READABLE);
  EXPECT_EQ(Codes(errors), (std::vector<int>{206, 206, 216}));
  EXPECT_NE(stream->state & NLDS_STATE_OPEN, 0) << "the read opened it before refusing";
  EXPECT_EQ(nldsflush(&errors, stream), 0);
  EXPECT_EQ(nldsclose(&errors, stream), 0);
  EXPECT_EQ(nldsclose(&errors, stream), NLE_STREAM_NOT_OPEN);
  Destroy(stream);
}

TEST(StreamInfo, EachKindReportsWhatItHas) {
  TempDir dir;
  const std::string path = dir.File("info.trc");
  NlDiagStream* file = NewFileStream(path, NLDS_OPTION_APPEND);
  NlDiagStream* output = NewStream(NLDS_KIND_STANDARD_OUTPUT);
  NlDiagStream* members[2] = {file, output};
  NlDiagStream* pair = NewStream(NLDS_KIND_PAIR, members);
  NlPrimaryErrorRecord errors{};
  std::uint32_t kind = 0, options = 0;

  unsigned char info[NLDS_FILE_INFO_SIZE];
  std::memset(info, 0xEE, sizeof info);
  ASSERT_EQ(nldsinfo(&errors, file, &kind, &options, info), 0);
  std::uint32_t name_length = 0;
  std::memcpy(&name_length, info, sizeof name_length);
  EXPECT_EQ(kind, NLDS_KIND_FILE);
  EXPECT_EQ(options, NLDS_OPTION_APPEND);
  EXPECT_EQ(name_length, path.size());
  EXPECT_EQ(std::string(reinterpret_cast<char*>(info) + 4), path) << "followed by a NUL";
  EXPECT_EQ(file->state & NLDS_STATE_OPEN, 0) << "info needs no open stream";

  std::memset(info, 0xEE, sizeof info);
  ASSERT_EQ(nldsinfo(&errors, output, &kind, &options, info), 0);
  EXPECT_EQ(kind, NLDS_KIND_STANDARD_OUTPUT);
  EXPECT_EQ(options, 0u);
  EXPECT_EQ(info[0], 0xEE) << "a standard stream leaves the buffer alone";

  NlDiagStream* reported[2] = {nullptr, nullptr};
  ASSERT_EQ(nldsinfo(&errors, pair, &kind, nullptr, reported), 0);
  EXPECT_EQ(kind, NLDS_KIND_PAIR);
  EXPECT_EQ(reported[0], file);
  EXPECT_EQ(reported[1], output);
  Destroy(pair);
  Destroy(output);
  Destroy(file);
}

TEST(StreamOperations, CopyPointerInstallsTheKindsTable) {
  NlDiagStream* stream = NewStream(NLDS_KIND_STANDARD_OUTPUT);
  NlDiagStream copy = *stream;
  copy.op_open = nullptr;
  copy.op_write = nullptr;
  copy.op_info = nullptr;
  stream->op_flush = nullptr;
  NlDiagStream* copy_slot = &copy;
  nldscppt(stream, &copy_slot);
  EXPECT_NE(stream->op_flush, nullptr);
  EXPECT_EQ(copy.op_open, stream->op_open);
  EXPECT_EQ(copy.op_write, stream->op_write);
  EXPECT_EQ(copy.op_info, stream->op_info);

  nldscppt(stream, nullptr);
  nldscppt(nullptr, &copy_slot);
  copy.kind = 3;
  copy.op_open = nullptr;
  NlDiagStream* stream_slot = stream;
  nldscppt(&copy, &stream_slot);
  EXPECT_NE(stream->op_open, nullptr) << "an unknown kind installs nothing";
  Destroy(stream);
}

TEST(StreamEof, TerminalAndFilesAtTheirEnd) {
  TempDir dir;
  NlDiagStream* output = NewStream(NLDS_KIND_STANDARD_OUTPUT);
  NlDiagStream* error = NewStream(NLDS_KIND_STANDARD_ERROR);
  NlDiagStream* file = NewFileStream(dir.File("eof.txt"));
  EXPECT_EQ(nldseof(output), 0);
  EXPECT_EQ(nldseof(error), NLE_STREAM_NOT_AT_END);
  EXPECT_EQ(nldseof(file), 0) << "a file without a handle counts as ended";
  NlPrimaryErrorRecord errors{};
  ASSERT_EQ(nldswrite(&errors, file, "abc", 3), 0);
  EXPECT_EQ(nldseof(file), NLE_STREAM_NOT_AT_END);
  char buffer[8];
  std::FILE* handle = static_cast<NlDiagFile*>(file->kind_data)->handle;
  std::rewind(handle);
  EXPECT_EQ(std::fread(buffer, 1, sizeof buffer, handle), 3u);
  EXPECT_EQ(nldseof(file), 0);
  EXPECT_EQ(Codes(errors), std::vector<int>{}) << "nldseof pushes nothing";
  Destroy(file);
  Destroy(error);
  Destroy(output);
}

}  // namespace
}  // namespace kelnl::testing
