// Trace records: which are wanted, the prefix forms of lines and dumps, and message-file records.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "diagnostics/trace_message_records.h"
#include "kelnl/nltrmsg.h"
#include "tests/diagnostics/trace_test_support.h"

namespace kelnl::testing {
namespace {

class TraceRecords : public TraceTest {
 protected:
  void SetUp() override { StartContext(); }

  // A trace at the given level on trace.trc that owns its stream, as the startup opening leaves it.
  NlTraceContext* OpenTrace(const std::string& parameters) {
    NlTraceContext* trace = Trace(parameters);
    if (trace != nullptr) trace->stream->trace = trace;
    return trace;
  }
};

TEST_F(TraceRecords, LevelsEventsAndFiltersDecide) {
  NlTraceContext* trace = OpenTrace("level = user\nfilters = (nsc*, nl)\n");
  ASSERT_NE(trace, nullptr);
  EXPECT_FALSE(nldtfire(trace, "ns", 6, 5, 0, 0)) << "above the level";
  EXPECT_TRUE(nldtfire(trace, "ns", 4, 5, 0, 0)) << "every event is enabled by default";
  EXPECT_FALSE(nldtfire(trace, "ns", 4, 0, 0, 0)) << "a record without events needs the filter list";
  EXPECT_TRUE(nldtfire(trace, "nscall", 16, 0, 0, 0)) << "a matching component passes any level and events";
  EXPECT_TRUE(nldtfire(trace, "nl", 9, 0, 0, 0));
  EXPECT_FALSE(nldtfire(trace, "nlx", 9, 1, 0, 0)) << "a name without a star matches only itself";
  EXPECT_FALSE(nldtfire(trace, "NSC", 9, 1, 0, 0)) << "case matters";
  EXPECT_FALSE(nldtfire(trace, nullptr, 9, 1, 0, 0));
  EXPECT_TRUE(nldtfire(trace, "x", 0, 7, 0, 0)) << "level 0 always passes the level test";
  EXPECT_FALSE(nldtfire(nullptr, "nsc", 0, 1, 0, 0));

  ASSERT_EQ(nldtalter(nullptr, trace, Parameters("events = (3)\n"), nullptr, nullptr, 0, "events", 6,
                      nullptr, 0), 0);
  trace->flags = static_cast<std::uint8_t>(trace->flags & ~NLDT_FLAG_FILTERS);
  EXPECT_TRUE(nldtfire(trace, "x", 4, 3, 9, 0)) << "one enabled event is enough";
  EXPECT_FALSE(nldtfire(trace, "x", 4, 9, 0, 0));
  trace->flags |= NLDT_FLAG_ALL_EVENTS;
  EXPECT_FALSE(nldtfire(trace, "x", 4, 3, 9, 0)) << "all events required";
  trace->events[1] |= 1u << 1;  // event 9
  EXPECT_TRUE(nldtfire(trace, "x", 4, 3, 9, 0));
}

TEST_F(TraceRecords, PlainStreamsShowTheComponentAndTheLevelMarkers) {
  NlTraceContext* trace = OpenTrace("level = admin\n");
  ASSERT_NE(trace, nullptr);
  EXPECT_EQ(nldtr2(nullptr, trace, "nsc", 4, 1, 0, 0, "two %d\n", 2), 0);
  EXPECT_EQ(nldtr2(nullptr, trace, "nsc", 9, 1, 0, 0, "dropped\n"), 0);
  EXPECT_EQ(nldtr4(nullptr, trace, "nsc", "four %s\n", "x"), 0);
  EXPECT_EQ(nldtr1(nullptr, trace, "nsc", 2, 1, 2, 0, "error %d\n", 5), 0);
  EXPECT_EQ(nldtr1(nullptr, trace, "nsc", 1, 1, 0, "fatal\n"), 0);
  EXPECT_EQ(nldtr1(nullptr, trace, "nsc", 4, 0, "no events, so not wanted\n"), 0);
  ASSERT_EQ(nldtlvlalter(nullptr, trace, 7), 0);
  EXPECT_EQ(nldtr1(nullptr, trace, "nsc", 4, 1, 0, "shown\n"), 0);
  EXPECT_EQ(nldtr2(nullptr, trace, nullptr, 4, 1, 0, 0, "bare\n"), 0);
  trace->flags |= NLDT_FLAG_TIME_STAMPS;
  EXPECT_EQ(nldtr2(nullptr, trace, "nsc", 4, 1, 0, 0, "text\n"), 0);
  EXPECT_EQ(nldtr2(nullptr, trace, nullptr, 4, 1, 0, 0, "bare\n"), 0);
  std::vector<std::string> lines = Lines("trace.trc");
  ASSERT_EQ(lines.size(), 10u);
  const std::string date = R"(\[\d\d-[A-Z]{3}-\d{4} \d\d:\d\d:\d\d\] )";
  EXPECT_TRUE(std::regex_match(lines[8], std::regex(date + "nsc: text"))) << "time stamps stand in brackets";
  EXPECT_TRUE(std::regex_match(lines[9], std::regex(date + "bare"))) << lines[9];
  lines.resize(8);
  EXPECT_EQ(lines, (std::vector<std::string>{"nsc: two 2", "nsc: four x", "-<ERROR>- error 5", "", "-<FATAL?>- fatal",
                                             "", "nsc: shown", "bare"}));
  NlPrimaryErrorRecord errors{};
  EXPECT_EQ(nldtr2(&errors, nullptr, "nsc", 0, 1, 0, 0, "x\n"), NLE_TRACE_NULL);
  EXPECT_EQ(nldtr3(&errors, nullptr, "nsc", 0, 1, 0, 0, 0, "x", 1), NLE_TRACE_NULL);
}

TEST_F(TraceRecords, DumpsShowEightBytesALine) {
  NlTraceContext* trace = OpenTrace("level = 16\n");
  ASSERT_NE(trace, nullptr);
  const unsigned char letters[] = {0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x7F};
  const unsigned char short_piece[] = {0x00, 0x41, 0x0A};
  EXPECT_EQ(nldtr3(nullptr, trace, "nsc", 4, 1, 0, 0, 0, letters, 8), 0);
  EXPECT_EQ(nldtr3(nullptr, trace, nullptr, 4, 1, 0, 0, 0, short_piece, 3), 0);
  EXPECT_EQ(nldtr3(nullptr, trace, nullptr, 4, 1, 0, 0, 0, letters, 9), 0);
  EXPECT_EQ(nldtr3(nullptr, trace, "nsc", 4, 1, 0, 0, 0, letters, 0), 0) << "an empty dump writes nothing";
  EXPECT_EQ(Lines("trace.trc"), (std::vector<std::string>{
                                    "nsc: 41 42 43 44 45 46 47 48  |ABCDEFGH|",
                                    "00 41 0A 00 00 00 00 00  |.A......|",
                                    "41 42 43 44 45 46 47 48  |ABCDEFGH|",
                                    "7F 00 00 00 00 00 00 00  |........|",
                                }));
}

TEST_F(TraceRecords, MessageRecordsAreCheckedAgainstTheirTexts) {
  NlTraceContext* trace = OpenTrace("level = user\n");
  ASSERT_NE(trace, nullptr);
  NlPrimaryErrorRecord errors{};
  // "error: %s" with its component "nldtotrc".
  EXPECT_EQ(nldtotrc(&errors, trace, 0, NLTR_COMPONENT_TRACE_CALL, 71, 4, 10, 1, 0, NLTR_ERROR_TEXT, "%s", "boom"), 0);
  EXPECT_EQ(nldtotrc(&errors, trace, 0, NLTR_COMPONENT_TRACE_CALL, 72, 4, 1, 0, NLTR_ERROR_TEXT, "%d", 5), 0);
  EXPECT_EQ(nldtotrc(&errors, trace, 0, NLTR_COMPONENT_TRACE_CALL, 74, 4, 1, 0, NLTR_ENTRY, nullptr), 0);
  EXPECT_EQ(nldtotrc(&errors, trace, 0, NLTR_COMPONENT_TRACE_CALL, 75, 7, 1, 0, NLTR_ENTRY, ""), 0) << "above level";
  EXPECT_EQ(nldtotrc(&errors, trace, 0, NLTR_COMPONENT_TRACE_CALL, 76, 0, 0, NLTR_EXIT, ""), 0)
      << "level 0 passes, and the internal trace applies no event test";
  const unsigned char data[] = {'a', 'b'};
  EXPECT_EQ(nldtotrc(&errors, trace, 0, NLTR_COMPONENT_TRACE_CALL, 77, 4, 5, 14, 0, 99u, 2, data), 0);
  EXPECT_EQ(errors.count, 0);
  EXPECT_EQ(Lines("trace.trc"), (std::vector<std::string>{
                                    "nldtotrc: error: boom",
                                    "nldtotrc: Error: Inconsistent trace parameters line: 72",
                                    "nldtotrc: entry",
                                    "nldtotrc: exit",
                                    "nldtotrc: 61 62 00 00 00 00 00 00  |ab......|",
                                }));
  EXPECT_EQ(nldtotrc(&errors, nullptr, 0, 1, 1, 0, 0, 1, ""), 0);
  EXPECT_EQ(Codes(errors), std::vector<int>{NLE_TRACE_NULL});
}

// Agreeing and disagreeing records are the message-record test's; these are the edges.
TEST(TraceCheckFormat, ConversionsMustAgreeInOrder) {
  using kelnl::diagnostics::TextAgreesWithCheckFormat;
  EXPECT_TRUE(TextAgreesWithCheckFormat("a %s and %d\n", "x%sy%dz%c")) << "extra conversions are not read";
  EXPECT_FALSE(TextAgreesWithCheckFormat("%s\n", ""));
  EXPECT_TRUE(TextAgreesWithCheckFormat("100%% %s\n", "%%%s"));
  EXPECT_TRUE(TextAgreesWithCheckFormat("50 % off\n", nullptr)) << "a blank after % converts nothing";
  EXPECT_FALSE(TextAgreesWithCheckFormat("%d\n", nullptr));
}

}  // namespace
}  // namespace kelnl::testing
