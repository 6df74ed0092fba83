// Trace configuration: level texts, event lists, filters, streams, and changes that fail.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/diagnostics/trace_test_support.h"
#include "tests/support/alloc_sweep.h"

namespace kelnl::testing {
namespace {

bool EventOn(const NlTraceContext* trace, unsigned event) { return (trace->events[event / 8] >> (event % 8)) & 1u; }

std::uint32_t Level(const char* text) {
  NlPrimaryErrorRecord errors{};
  const std::uint32_t level = nldtstr2lv(&errors, text, static_cast<std::uint32_t>(std::strlen(text)));
  EXPECT_EQ(errors.count, 0) << text;
  return level;
}

std::string LevelName(std::uint32_t level) {
  NlPrimaryErrorRecord errors{};
  errors.count = 3;
  const char* name = nullptr;
  std::uint32_t length = 0;
  nldtlv2str(&errors, level, &name, &length);
  EXPECT_EQ(errors.count, 0) << "the record is emptied";
  return std::string(name, length);
}

// The filter names, newest first.
std::string Filters(const NlTraceContext* trace) {
  std::string names;
  for (const NlTraceFilter* filter = trace->filters; filter != nullptr; filter = filter->next) {
    names += (names.empty() ? "" : " ") + std::string(filter->name, filter->name_length);
  }
  return names;
}

TEST(TraceLevels, TextsGiveLevelsAndLevelsGiveNames) {
  const std::pair<const char*, std::uint32_t> levels[] = {{"USER", 4},  {"Support", 16}, {"off", 0},
                                                          {"7", 7},     {"99", 16},      {"5x", 5}};
  for (const auto& [text, level] : levels) EXPECT_EQ(Level(text), level) << text;
  for (const char* bad : {"us", "", "123", "x5", "users"}) {
    NlPrimaryErrorRecord errors{};
    EXPECT_EQ(nldtstr2lv(&errors, bad, static_cast<std::uint32_t>(std::strlen(bad))), 0u) << bad;
    EXPECT_EQ(Codes(errors), std::vector<int>{NLE_TRACE_BAD_LEVEL}) << bad;
  }
  EXPECT_EQ(LevelName(0) + LevelName(1) + LevelName(5) + LevelName(8) + LevelName(200), "offoffuseradminsupport");
}

class TraceConfiguration : public TraceTest {
 protected:
  void SetUp() override { StartContext(); }
};

TEST_F(TraceConfiguration, EventListsEnableOnlyTheirValidNumbers) {
  NlTraceContext* trace = Trace("events = (3, 700, 0, 12)\n");
  ASSERT_NE(trace, nullptr);
  for (unsigned event = 0; event < 512; ++event) EXPECT_EQ(EventOn(trace, event), event == 3 || event == 12) << event;
  EXPECT_EQ(trace->flags & NLDT_FLAG_ON, 0) << "a new stream starts off, and level 0 keeps it so";
  EXPECT_EQ(nldtalter(nullptr, trace, Parameters("events = (511)\n"), nullptr, nullptr, 0, "events", 6, nullptr, 0), 0);
  EXPECT_EQ(trace->flags & NLDT_FLAG_ON, NLDT_FLAG_ON) << "on the same stream an enabled event turns the trace on";
  EXPECT_TRUE(EventOn(trace, 511));
  EXPECT_FALSE(EventOn(trace, 3));
  // A value that is no list has no elements: every event is enabled; a filter value that is no
  // list gives no filter.
  EXPECT_EQ(nldtalter(nullptr, trace, Parameters("events = 5\nfilters = nsc\n"), nullptr, nullptr, 0, "events", 6,
                      "filters", 7), 0);
  for (unsigned event = 1; event < 512; ++event) ASSERT_TRUE(EventOn(trace, event)) << event;
  EXPECT_EQ(trace->flags & NLDT_FLAG_FILTERS, 0);
  EXPECT_EQ(trace->filters, nullptr);
}

TEST_F(TraceConfiguration, FiltersAreKeptNewestFirstAndTheLevelOpensTheStream) {
  NlTraceContext* trace = Trace("level = admin\nfilters = (nsc*, nl)\n");
  ASSERT_NE(trace, nullptr);
  EXPECT_EQ(trace->level, 6);
  EXPECT_EQ(trace->flags & (NLDT_FLAG_ON | NLDT_FLAG_FILTERS), NLDT_FLAG_ON | NLDT_FLAG_FILTERS);
  EXPECT_EQ(Filters(trace), "nl nsc*");
  EXPECT_NE(trace->stream->state & NLDS_STATE_OPEN, 0) << "a level above 0 keeps the stream open";
  EXPECT_EQ(nldtlvlalter(nullptr, trace, 0), 0);
  EXPECT_EQ(trace->stream->state & NLDS_STATE_OPEN, 0) << "level 0 closes it";
  EXPECT_EQ(trace->flags & NLDT_FLAG_ON, 0);
  EXPECT_EQ(nldtlvlalter(nullptr, trace, 300), 0);
  EXPECT_EQ(trace->level, 16) << "capped";

  NlPrimaryErrorRecord errors{};
  EXPECT_EQ(nldtalter(&errors, trace, Parameters("level = loud\n"), nullptr, "level", 5, nullptr, 0, nullptr, 0), 0);
  EXPECT_EQ(Codes(errors), std::vector<int>{NLE_TRACE_BAD_LEVEL});
  EXPECT_EQ(trace->level, 0) << "an unknown level name is reported and counts as off";
}

TEST_F(TraceConfiguration, ANewStreamTakesTheLevelOverUnlessItCannotBeOpened) {
  NlTraceContext* trace = Trace("level = 4\nevents = (1, 2)\nfilters = (a, b)\n", "first.trc");
  ASSERT_NE(trace, nullptr);
  NlDiagStream* first = trace->stream;
  NlDiagStream* second = FileStream("second.trc");
  EXPECT_EQ(nldtalter(nullptr, trace, tables_.back(), second, nullptr, 0, nullptr, 0, nullptr, 0), 0);
  EXPECT_EQ(trace->stream, second);
  EXPECT_EQ(trace->level, 4);
  EXPECT_NE(second->state & NLDS_STATE_OPEN, 0);
  EXPECT_EQ(first->state & NLDS_STATE_OPEN, 0) << "the old stream is closed";

  // A failed change leaves the context as it was.
  const NlTraceContext before = *trace;
  NlDiagStream* unopenable = FileStream("missing/dir/trace.trc");
  NlPrimaryErrorRecord errors{};
  EXPECT_EQ(nldtalter(&errors, trace, Parameters("events = (9)\nfilters = (c)\n"), unopenable, nullptr, 0, "events",
                      6, "filters", 7),
            NLE_TRACE_OPEN_FAILED);
  EXPECT_EQ(std::memcmp(&before, trace, sizeof before), 0);
  EXPECT_EQ(Filters(trace), "b a") << "the old list is still whole";
  EXPECT_NE(second->state & NLDS_STATE_OPEN, 0);
}

TEST_F(TraceConfiguration, MissingArgumentsGetTheirCodes) {
  NlDiagStream* stream = FileStream("trace.trc");
  NlTraceContext* trace = reinterpret_cast<NlTraceContext*>(stream);
  EXPECT_EQ(nldtin2(nullptr, nullptr, nullptr, stream, nullptr, 0, nullptr, 0, nullptr, 0), NLE_TRACE_NULL);
  EXPECT_EQ(nldtin2(nullptr, &trace, nullptr, nullptr, nullptr, 0, nullptr, 0, nullptr, 0), NLE_TRACE_NO_STREAM);
  EXPECT_EQ(trace, nullptr);
  EXPECT_EQ(nldtdestroy(nullptr, &trace), NLE_TRACE_NULL);
  NlDiagStream* slot = stream;
  EXPECT_EQ(nldtshget(nullptr, nullptr, &slot), NLE_TRACE_NULL);
  EXPECT_EQ(slot, nullptr);
  trace = Trace("level = 4\n", "other.trc");
  EXPECT_EQ(nldtshget(nullptr, trace, &slot), 0);
  EXPECT_EQ(slot, trace->stream);
}

TEST_F(TraceConfiguration, CreationMeetsFailingAllocations) {
  NlParameterTable* table = Parameters("level = 0\nevents = (1, 2)\nfilters = (nsc*, nl, ns)\n");
  NlDiagStream* stream = FileStream("trace.trc");
  NlTraceContext* trace = nullptr;
  const long allocations = SweepAllocationFailures(
      [&] {
        const std::int32_t result =
            nldtin2(nullptr, &trace, table, stream, "level", 5, "events", 6, "filters", 7);
        // A filter that finds no memory is left out; only the context itself is essential.
        if (result != 0) {
          EXPECT_EQ(result, NLE_TRACE_NO_MEMORY);
          EXPECT_EQ(trace, nullptr);
        }
      },
      [&] {
        if (trace != nullptr) nldtdestroy(nullptr, &trace);
      });
  EXPECT_GE(allocations, 7) << "the context and three filters of two blocks each";
}

TEST_F(TraceConfiguration, ChangesMeetFailingAllocations) {
  NlTraceContext* trace = Trace("level = 0\nfilters = (a)\n");
  ASSERT_NE(trace, nullptr);
  NlParameterTable* table = Parameters("filters = (nsc*, nl, ns)\n");
  NlParameterTable* restore = Parameters("filters = (a)\n");
  SweepAllocationFailures(
      [&] {
        EXPECT_EQ(nldtalter(nullptr, trace, table, nullptr, nullptr, 0, nullptr, 0, "filters", 7), 0);
        // Whatever was inserted forms a whole list; the old one is gone.
        EXPECT_EQ((" " + Filters(trace) + " ").find(" a "), std::string::npos);
      },
      [&] { EXPECT_EQ(nldtalter(nullptr, trace, restore, nullptr, nullptr, 0, nullptr, 0, "filters", 7), 0); });
}

}  // namespace
}  // namespace kelnl::testing
