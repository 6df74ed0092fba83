// The external trace bridge, byte for byte: this test stands in for the external trace library
// and keeps what the bridge hands to each of its operations.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "kelnl/nltrmsg.h"
#include "platform/core/allocator.h"
#include "platform/ztrace/ztrace.h"
#include "tests/diagnostics/trace_test_support.h"
#include "tests/support/alloc_sweep.h"
#include "tests/support/record_bytes.h"

namespace {

struct ExternalCall {
  int ordinal;
  std::vector<std::int64_t> words;  // integer arguments, in order
  std::string text;                 // startup name, trace name and path, or hexadecimal key
  std::vector<std::uint8_t> bytes;  // a record, or the enable vector
};
std::vector<ExternalCall> calls;
std::int32_t results[25];
std::int32_t control_size = 20;
std::uint32_t handle_block[2] = {0, 1};
std::uintptr_t state_value = 4711;

void Check(std::int32_t word_1, std::uint32_t id, std::int32_t word_3, const char* version, const uintptr_t* state) {
  EXPECT_TRUE(word_1 == 2 && id == 0x0B74FCB3u && word_3 == 115);
  EXPECT_STREQ(version != nullptr ? version : "V3.0", "V3.0");
  EXPECT_EQ(state != nullptr ? *state : state_value, state_value);
}

std::vector<std::uint8_t> Copy(const void* data, std::size_t length) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  return {bytes, bytes + length};
}

}  // namespace

extern "C" {
int32_t zt22_register(int32_t w1, uint32_t id, int32_t w3, const char* version, const char* startup_name, int32_t zero,
                      void** handle_slot, int32_t types, int32_t two, int32_t z1, int32_t z2, int32_t z3, int32_t z4,
                      uintptr_t* state) {
  Check(w1, id, w3, version, nullptr);
  calls.push_back({22, {zero, types, two, z1, z2, z3, z4}, std::string(startup_name, 11), {}});
  if (results[22] == 0) {
    *handle_slot = handle_block;
    *state = state_value;
  }
  return results[22];
}
int32_t zt13_configure(int32_t w1, uint32_t id, int32_t w3, const char* version, const int32_t* vector,
                       const char* trace_name, const char* path, int32_t z1, int32_t z2, uintptr_t* state) {
  Check(w1, id, w3, version, state);
  calls.push_back({13, {z1, z2}, std::string(trace_name) + "|" + path, Copy(vector, 14 * sizeof(int32_t))});
  return results[13];
}
int32_t zt11_control(int32_t two, int32_t three, uintptr_t argument, int32_t zero, int32_t* size_slot) {
  calls.push_back({11, {two, three, static_cast<std::int64_t>(argument), zero, size_slot != nullptr}, {}, {}});
  if (size_slot != nullptr) *size_slot = control_size;
  return results[11];
}
int32_t zt8_set_key(int32_t w1, uint32_t id, int32_t w3, const char* version, const char* hex_key, int32_t three,
                    uintptr_t* state) {
  Check(w1, id, w3, version, state);
  calls.push_back({8, {three}, std::string(hex_key, 16), {}});
  return results[8];
}
int32_t zt18_write(int32_t w1, uint32_t id, int32_t w3, int32_t type, int32_t z1, const void* record, uint32_t length,
                   int32_t z2, uintptr_t external_argument, int32_t z3, uintptr_t* state) {
  Check(w1, id, w3, nullptr, state);
  calls.push_back({18, {type, z1, z2, static_cast<std::int64_t>(external_argument), z3}, {}, Copy(record, length)});
  return results[18];
}
int32_t zt20_flush(int32_t two) {
  calls.push_back({20, {two}, {}, {}});
  return results[20];
}
int32_t zt24_deregister(int32_t w1, uint32_t id, int32_t w3, const char* version, int32_t zero, int32_t three,
                        uintptr_t* state) {
  Check(w1, id, w3, version, state);
  calls.push_back({24, {zero, three}, {}, {}});
  return results[24];
}
int32_t zt16_terminate(int32_t w1, uint32_t id, int32_t w3, const char* version, uintptr_t* state) {
  Check(w1, id, w3, version, state);
  calls.push_back({16, {}, {}, {}});
  return 0;
}
}  // extern "C"

namespace kelnl::testing {
namespace {

using Bytes = RecordBytes;

class TraceBridge : public TraceTest {
 protected:
  void SetUp() override {
    calls.clear();
    std::memset(results, 0, sizeof results);
    control_size = 20;
    StartContext();
  }

  // A new trace at `level` that went external (or tried to); the calls so far are forgotten.
  NlTraceContext* ExternalTrace(std::int32_t level, const char* use = "true", std::int32_t* result = nullptr) {
    if (trace_ != nullptr) nldtdestroy(nullptr, &trace_);
    NlTraceContext* trace = Trace("level = " + std::to_string(level) + "\n");
    context_->parameters = Parameters(std::string("use_ztrace = ") + use + "\n");
    const std::int32_t initialised = nldtotinit(trace, "STARTUPNAME", level, "/tmp/trace/brisol.trc", "/admin");
    if (result != nullptr) *result = initialised;
    return trace;
  }
  std::vector<int> Ordinals() const {
    std::vector<int> ordinals;
    for (const ExternalCall& call : calls) ordinals.push_back(call.ordinal);
    return ordinals;
  }
};

TEST_F(TraceBridge, StartsOnlyWithUseZtraceAndEnablesRecordTypesByLevel) {
  std::int32_t result = -1;
  EXPECT_EQ(ExternalTrace(4, "false", &result)->mode, NLDT_MODE_INTERNAL);
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(calls.empty());

  NlTraceContext* trace = ExternalTrace(4, "true", &result);
  EXPECT_EQ(result, 0);
  ASSERT_EQ(Ordinals(), (std::vector<int>{22, 13, 11}));
  EXPECT_EQ(calls[0].text, "STARTUPNAME");
  EXPECT_EQ(calls[0].words, (std::vector<std::int64_t>{0, 14, 2, 0, 0, 0, 0}));
  EXPECT_EQ(calls[1].text, "/tmp/trace/brisol|/admin") << "the name goes without .trc";
  EXPECT_EQ(calls[2].words, (std::vector<std::int64_t>{2, 3, 0, 0, 1}));
  EXPECT_EQ(trace->mode, NLDT_MODE_EXTERNAL);
  EXPECT_EQ(trace->flags & (NLDT_FLAG_EXTERNAL | NLDT_FLAG_ON), NLDT_FLAG_EXTERNAL | NLDT_FLAG_ON);
  EXPECT_EQ(trace->external_handle, handle_block);
  Bytes enabled;  // the fourteen words of the enable vector
  for (int word : {0, 1, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1}) enabled.Int(static_cast<std::uint32_t>(word));
  EXPECT_EQ(calls[1].bytes, enabled.bytes);
}

TEST_F(TraceBridge, RegistrationOutcomes) {
  std::int32_t result = -1;
  NlTraceContext* trace = ExternalTrace(0, "on", &result);
  EXPECT_EQ(result, 0) << "level 0 registers and leaves the bridge inactive";
  EXPECT_EQ(Ordinals(), std::vector<int>{22});
  EXPECT_EQ(nldtotrc(nullptr, trace, 0, 1, 1, 0, 1, 0, 1003, ""), 0);
  EXPECT_EQ(Ordinals(), std::vector<int>{22}) << "an inactive bridge drops every record";

  const std::pair<std::int32_t, std::int32_t> failures[] = {{67, 512}, {43, 513}, {11, 514}, {5, 515}};
  for (const auto& [error, code] : failures) {
    results[22] = error;
    trace = ExternalTrace(4, "yes", &result);
    EXPECT_EQ(result, code);
    EXPECT_EQ(trace->flags & NLDT_FLAG_EXTERNAL, 0);
  }
  results[22] = 0;
  results[13] = 43;
  EXPECT_EQ(ExternalTrace(4, "yes", &result)->flags & NLDT_FLAG_EXTERNAL, 0);
  EXPECT_EQ(result, 513) << "a configuration failure maps the same way";
  EXPECT_EQ(nldtotinit(nullptr, "STARTUPNAME", 4, "x", "y"), 512);
}

TEST_F(TraceBridge, TextRecordsCarryTheCheckFormatAndTheArguments) {
  NlTraceContext* trace = ExternalTrace(4);
  calls.clear();
  NlPrimaryErrorRecord errors{};
  EXPECT_EQ(nldtotrc(&errors, trace, 0x55, 1100, 42, 4, 10, 1, 0, 18306, "%s %d", "abc", 7), 0);
  ASSERT_EQ(Ordinals(), (std::vector<int>{18, 20}));
  EXPECT_EQ(calls[0].words, (std::vector<std::int64_t>{ZT_TYPE_DETAIL_LOW, 0, 0, 0x55, 0}));
  EXPECT_EQ(calls[0].bytes, Bytes().Int(1100).Int(42).Int(18, 2).Int(18306).Text("%s %d").Text("abc").Int(7).Mask({1, 10}).bytes);

  calls.clear();
  EXPECT_EQ(nldtotrc(&errors, trace, 0, 1100, 7, 3, 1, 0, 1010, "%c%x%ld%%%u", 'Z', 0x10, 70000L, 9u), 0);
  Bytes mixed;
  mixed.Int(1100).Int(7).Int(4 + 12 + 1 + 12, 2).Int(1010).Text("%c%x%ld%%%u").Int('Z', 1).Int(0x10).Int(70000).Int(9);
  EXPECT_EQ(calls.at(0).bytes, mixed.Mask({1}).bytes);

  calls.clear();
  EXPECT_EQ(nldtotrc(&errors, trace, 0, 1100, 8, 2, 0, 1011, ""), 0);
  EXPECT_EQ(calls.at(0).bytes, Bytes().Int(1100).Int(8).Int(4, 2).Int(1011).Mask({}).bytes) << "no format, no bytes";
  EXPECT_EQ(errors.count, 0);
}

TEST_F(TraceBridge, RecordTypesFollowTheLevelAndDumpsHaveTheirOwnLayout) {
  NlTraceContext* trace = ExternalTrace(16);
  // The edges of the level bands.
  const std::pair<std::uint32_t, std::int32_t> types[] = {{1, 12}, {2, 13}, {3, 1}, {5, 2}, {7, 3}, {16, 3}};
  for (const auto& [level, type] : types) {
    calls.clear();
    EXPECT_EQ(nldtotrc(nullptr, trace, 0, 1100, 1, level, 1, 0, 1010, ""), 0);
    EXPECT_EQ(calls.at(0).words.at(0), type) << "level " << level;
  }
  calls.clear();
  const unsigned char data[] = {0xDE, 0xAD, 0xBE};
  EXPECT_EQ(nldtotrc(nullptr, trace, 9, 1100, 55, 4, 5, 14, 0, 0xCAFEF00Du, 0x10003, data), 0);
  EXPECT_EQ(calls.at(0).words.at(0), ZT_TYPE_DUMP);
  Bytes dump;
  dump.Int(1100).Int(55).Int(4, 2).Int(0xCAFEF00Du).Int(3, 2).Int(0xBEADDE, 3);
  EXPECT_EQ(calls.at(0).bytes, dump.Mask({5, 14}).bytes) << "only the length's low 16 bits count";
}

// The growth of a dump's buffer is the allocation sweep's; a long text grows it while formatting.
TEST_F(TraceBridge, TheRecordBufferStartsAt8447AndGrowsForALongText) {
  NlTraceContext* trace = ExternalTrace(16);
  EXPECT_EQ(nldtotrc(nullptr, trace, 0, 1100, 1, 4, 1, 0, 1010, ""), 0);
  EXPECT_EQ(trace->record_capacity, 8447u);
  const std::string text(40000, 'q');
  EXPECT_EQ(nldtotrc(nullptr, trace, 0, 1100, 1, 4, 1, 0, 1010, "%s", text.c_str()), 0);
  EXPECT_EQ(calls.at(calls.size() - 2).bytes.size(), 14u + 3 + 40001 + 66);
}

TEST_F(TraceBridge, ABufferThatCannotBeHadSendsTheAllocationFailureRecord) {
  NlTraceContext* trace = ExternalTrace(16);
  for (const bool grow : {false, true}) {
    const std::vector<unsigned char> data(grow ? 10000 : 10, 1);
    SweepAllocationFailures(
        [&] {
          calls.clear();
          NlPrimaryErrorRecord errors{};
          const std::int32_t result = nldtotrc(&errors, trace, 0, 1100, 1, 4, 14, 0, 0u, data.size(), data.data());
          ASSERT_EQ(Ordinals(), (std::vector<int>{18, 20}));
          EXPECT_EQ(calls[0].words.at(0), ZT_TYPE_DUMP) << "the type of the record that failed, or was sent";
          if (!AllocationFailed()) {
            EXPECT_EQ(result, 0);
            return;
          }
          EXPECT_EQ(result, NLE_TRACE_NO_MEMORY);
          EXPECT_EQ(Codes(errors), (std::vector<int>{NLE_TRACE_NO_MEMORY, NLE_TRACE_NO_MEMORY}));
          EXPECT_EQ(calls[0].bytes, Bytes().Int(1002).Int(grow ? 1304 : 1264).Int(4, 2).Int(1003).bytes);
        },
        [&] {
          if (grow) return;
          kelnl::Release(trace->record_buffer);
          trace->record_buffer = nullptr;
          trace->record_capacity = 0;
        });
    // The growth round starts from a first buffer.
    if (!grow) {
      EXPECT_EQ(nldtotrc(nullptr, trace, 0, 1100, 1, 4, 1, 0, 1010, ""), 0);
    }
  }
}

TEST_F(TraceBridge, KeysGoOutAsHexadecimalAndAsKeyRecords) {
  const std::uint8_t key[8] = {0x01, 0xAB, 0x02, 0xCD, 0x03, 0xEF, 0x04, 0xFF};
  NlTraceContext* trace = ExternalTrace(4);
  calls.clear();
  EXPECT_EQ(nldtotCF3(trace, key, 77), 0);
  ASSERT_EQ(Ordinals(), (std::vector<int>{11, 8, 18, 20}));
  EXPECT_EQ(calls[0].words, (std::vector<std::int64_t>{2, 3, 77, 0, 0}));
  EXPECT_EQ(calls[1].text, "01AB02CD03EF04FF");
  EXPECT_EQ(calls[2].words, (std::vector<std::int64_t>{ZT_TYPE_KEY, 0, 0, 0, 0}));
  EXPECT_EQ(calls[2].bytes, std::vector<std::uint8_t>(key, key + 8));

  calls.clear();
  NlPrimaryErrorRecord errors{};
  std::int32_t size = -1;
  EXPECT_EQ(nldtotset(&errors, trace, key, 78, &size), 0);
  EXPECT_EQ(size, 12) << "the size less 8";
  ASSERT_EQ(Ordinals(), (std::vector<int>{11, 8, 18, 20}));
  EXPECT_EQ(calls[1].text, "01ab02cd03ef04ff");

  results[8] = 1;
  EXPECT_EQ(nldtotCF3(trace, key, 77), NLE_TRACE_BRIDGE_INACTIVE);
  EXPECT_EQ(nldtotset(&errors, trace, key, 78, &size), NLE_TRACE_BRIDGE_INACTIVE);
  EXPECT_EQ(size, 0) << "every failure empties the size";

  results[24] = 33;
  EXPECT_EQ(nldtotdereg(nullptr, trace), 33) << "deregistration returns the library's result";
  EXPECT_EQ(nldtotdereg(&errors, nullptr), NLE_TRACE_BRIDGE_INACTIVE);
  EXPECT_EQ(Codes(errors), std::vector<int>{NLE_TRACE_NULL});
}

}  // namespace
}  // namespace kelnl::testing
