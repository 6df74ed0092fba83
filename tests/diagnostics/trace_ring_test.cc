// The ring of trace files, built by hand as the startup trace opening would build it: each file
// is left when a record ends within 400 bytes of the file length, rewound and cut where it
// stopped, and the trace carries on in the next file with the next cycle number.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/diagnostics/trace_test_support.h"

namespace kelnl::testing {
namespace {

class TraceRing : public TraceTest {
 protected:
  void SetUp() override {
    StartContext();
    trace_ = RingTrace(3, 1);  // leave a file at 1024 - 400 = 624 bytes
    ASSERT_NE(trace_, nullptr);
  }

  // One trace record of `length` characters, written to whatever file is current.
  void Record(std::size_t length, char fill) {
    ASSERT_EQ(nldsfprintf(nullptr, trace_->stream, "%s", std::string(length, fill).c_str()), 0);
  }
  std::uintmax_t Size(std::size_t index) const {
    return std::filesystem::file_size(dir_.File("ring" + std::to_string(index + 1) + ".trc"));
  }
};

TEST_F(TraceRing, MovesOnAtTheMarginNumbersTheCyclesAndCutsTheFileItLeaves) {
  ring_[0]->sequence = 999998;
  for (int i = 0; i < 6; ++i) Record(100, 'a');
  EXPECT_EQ(trace_->stream, ring_[0]) << "600 bytes: still below 624";
  Record(124, 'a');
  EXPECT_EQ(trace_->stream, ring_[1]) << "a record ending beyond 624 leaves the file";
  EXPECT_EQ(ring_[1]->sequence, 999999);
  EXPECT_EQ(Size(0), 724u);

  Record(623, 'b');
  EXPECT_EQ(trace_->stream, ring_[1]);
  Record(1, 'b');
  EXPECT_EQ(trace_->stream, ring_[2]) << "so does a record ending exactly at 624";
  EXPECT_EQ(ring_[2]->sequence, 1) << "after 999999 comes 1";
  Record(650, 'c');
  EXPECT_EQ(trace_->stream, ring_[0]) << "the last file hands over to the first";
  EXPECT_EQ(ring_[0]->sequence, 2);

  // The first file is overwritten from its start; this shorter cycle cuts off the older end.
  Record(300, 'd');
  Record(330, 'd');
  EXPECT_EQ(trace_->stream, ring_[1]);
  EXPECT_EQ(dir_.Read("ring1.trc"), std::string(630, 'd'));
}

TEST_F(TraceRing, OnlyFormattedWritesOfCyclingStreamsMoveOn) {
  const std::string raw(700, 'r');
  ASSERT_EQ(nldswrite(nullptr, ring_[0], raw.data(), 700), 0);
  EXPECT_EQ(trace_->stream, ring_[0]) << "raw writes never move the ring";
  const auto still_here = [&](const char* why) {
    Record(10, 'x');
    EXPECT_EQ(trace_->stream, ring_[0]) << why;
  };
  ring_[0]->state &= static_cast<std::uint8_t>(~NLDS_STATE_CYCLING);
  still_here("the current file does not cycle");
  ring_[0]->state |= NLDS_STATE_CYCLING;
  ring_[0]->options = NLDS_OPTION_APPEND;
  still_here("an appending stream never cycles");
  ring_[0]->options = 0;
  trace_->file_length = 0;
  still_here("file length 0: no cycling");
  trace_->file_length = 1;
  Record(10, 'x');
  EXPECT_EQ(trace_->stream, ring_[1]);
  EXPECT_EQ(Size(0), 740u) << "nothing is cut from the cycle that just ended";
}

}  // namespace
}  // namespace kelnl::testing
