// The external trace bridge, byte for byte: this test stands in for the external trace library
// and keeps exactly what the bridge hands to each of its operations.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "kelnl/nltrmsg.h"
#include "platform/core/allocator.h"
#include "platform/ztrace/ztrace.h"
#include "tests/diagnostics/trace_test_support.h"
#include "tests/support/alloc_sweep.h"

namespace {

struct ExternalCall {
  int ordinal;
  std::vector<std::int64_t> words;  // the integer arguments in order
  std::string text;                 // version, name, hexadecimal key
  std::vector<std::uint8_t> bytes;  // a record, or the enable vector's words
};

std::vector<ExternalCall> calls;
std::int32_t results[25];
std::int32_t control_size = 20;
std::uint32_t handle_block[2] = {0, 1};

bool Identified(std::int32_t word_1, std::uint32_t id, std::int32_t word_3, const char* version) {
  return word_1 == 2 && id == 0x0B74FCB3u && word_3 == 115 && (version == nullptr || std::string(version) == "V3.0");
}

}  // namespace

extern "C" {

int32_t zt22_register(int32_t word_1, uint32_t id, int32_t word_3, const char* version, const char* startup_name,
                      int32_t zero, void** handle_slot, int32_t type_count, int32_t two, int32_t z1, int32_t z2,
                      int32_t z3, int32_t z4, uintptr_t* state) {
  EXPECT_TRUE(Identified(word_1, id, word_3, version));
  calls.push_back({22, {zero, type_count, two, z1, z2, z3, z4}, std::string(startup_name, 11), {}});
  if (results[22] == 0) {
    *handle_slot = handle_block;
    *state = 4711;
  }
  return results[22];
}

int32_t zt13_configure(int32_t word_1, uint32_t id, int32_t word_3, const char* version, const int32_t* vector,
                       const char* trace_name, const char* path, int32_t z1, int32_t z2, uintptr_t* state) {
  EXPECT_TRUE(Identified(word_1, id, word_3, version));
  EXPECT_EQ(*state, 4711u);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(vector);
  calls.push_back({13, {z1, z2}, std::string(trace_name) + "|" + path, {bytes, bytes + 14 * sizeof(int32_t)}});
  return results[13];
}

int32_t zt11_control(int32_t two, int32_t three, uintptr_t argument, int32_t zero, int32_t* size_slot) {
  calls.push_back({11, {two, three, static_cast<std::int64_t>(argument), zero, size_slot != nullptr}, {}, {}});
  if (size_slot != nullptr) *size_slot = control_size;
  return results[11];
}

int32_t zt8_set_key(int32_t word_1, uint32_t id, int32_t word_3, const char* version, const char* hex_key,
                    int32_t three, uintptr_t* state) {
  EXPECT_TRUE(Identified(word_1, id, word_3, version));
  EXPECT_EQ(*state, 4711u);
  calls.push_back({8, {three}, std::string(hex_key, 16), {}});
  return results[8];
}

int32_t zt18_write(int32_t word_1, uint32_t id, int32_t word_3, int32_t type, int32_t z1, const void* record,
                   uint32_t length, int32_t z2, uintptr_t external_argument, int32_t z3, uintptr_t* state) {
  EXPECT_TRUE(Identified(word_1, id, word_3, nullptr));
  EXPECT_EQ(*state, 4711u);
  const auto* bytes = static_cast<const std::uint8_t*>(record);
  calls.push_back({18, {type, z1, z2, static_cast<std::int64_t>(external_argument), z3}, {}, {bytes, bytes + length}});
  return results[18];
}

int32_t zt20_flush(int32_t two) {
  calls.push_back({20, {two}, {}, {}});
  return results[20];
}

int32_t zt24_deregister(int32_t word_1, uint32_t id, int32_t word_3, const char* version, int32_t zero,
                        int32_t three, uintptr_t* state) {
  EXPECT_TRUE(Identified(word_1, id, word_3, version));
  EXPECT_EQ(*state, 4711u);
  calls.push_back({24, {zero, three}, {}, {}});
  return results[24];
}

int32_t zt16_terminate(int32_t word_1, uint32_t id, int32_t word_3, const char* version, uintptr_t* state) {
  EXPECT_TRUE(Identified(word_1, id, word_3, version));
  calls.push_back({16, {static_cast<std::int64_t>(*state)}, {}, {}});
  return 0;
}

}  // extern "C"

namespace kelnl::testing {
namespace {

// Little-endian record bytes, as the layouts give them.
class Bytes {
 public:
  Bytes& U16(std::uint32_t value) { return Put(value, 2); }
  Bytes& U32(std::uint32_t value) { return Put(value, 4); }
  Bytes& Text(const std::string& text) {
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    bytes_.push_back(0);
    return *this;
  }
  Bytes& Raw(const void* data, std::size_t length) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + length);
    return *this;
  }
  Bytes& Mask(std::initializer_list<unsigned> events) {
    std::vector<std::uint8_t> mask(64, 0);
    for (unsigned event : events) mask[event / 8] = static_cast<std::uint8_t>(mask[event / 8] | (1u << (event % 8)));
    U16(64);
    return Raw(mask.data(), mask.size());
  }
  const std::vector<std::uint8_t>& get() const { return bytes_; }

 private:
  Bytes& Put(std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) bytes_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return *this;
  }
  std::vector<std::uint8_t> bytes_;
};

class TraceBridge : public TraceTest {
 protected:
  void SetUp() override {
    calls.clear();
    std::memset(results, 0, sizeof results);
    control_size = 20;
    handle_block[1] = 1;
    StartContext();
  }

  // A trace at `level` that has gone external (or tried to), calls so far forgotten.
  NlTraceContext* ExternalTrace(std::int32_t level, const char* use = "true", std::int32_t* result = nullptr) {
    NlTraceContext* trace = Trace(std::string("level = ") + std::to_string(level) + "\n");
    context_->parameters = Parameters(std::string("use_ztrace = ") + use + "\n");
    const std::int32_t initialised = nldtotinit(trace, "STARTUPNAME", level, "/tmp/trace/brisol.trc", "/admin");
    if (result != nullptr) *result = initialised;
    return trace;
  }

  const ExternalCall& Only(int ordinal) {
    const ExternalCall* found = nullptr;
    for (const ExternalCall& call : calls) {
      if (call.ordinal == ordinal) {
        EXPECT_EQ(found, nullptr) << "ordinal " << ordinal << " called more than once";
        found = &call;
      }
    }
    static const ExternalCall none{};
    EXPECT_NE(found, nullptr) << "ordinal " << ordinal << " not called";
    return found != nullptr ? *found : none;
  }

  std::vector<int> Ordinals() const {
    std::vector<int> ordinals;
    for (const ExternalCall& call : calls) ordinals.push_back(call.ordinal);
    return ordinals;
  }
};

std::vector<std::int32_t> Vector(const ExternalCall& call) {
  std::vector<std::int32_t> words(14);
  std::memcpy(words.data(), call.bytes.data(), std::min(call.bytes.size(), words.size() * sizeof(std::int32_t)));
  return words;
}

TEST_F(TraceBridge, StartsOnlyWithUseZtraceAndConfiguresByLevel) {
  std::int32_t result = -1;
  NlTraceContext* trace = ExternalTrace(4, "false", &result);
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(trace->mode, NLDT_MODE_INTERNAL);
  EXPECT_EQ(nldtdestroy(nullptr, &trace_), 0);

  trace = ExternalTrace(4, "true", &result);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Ordinals(), (std::vector<int>{22, 13, 11}));
  EXPECT_EQ(Only(22).text, "STARTUPNAME");
  EXPECT_EQ(Only(22).words, (std::vector<std::int64_t>{0, 14, 2, 0, 0, 0, 0}));
  EXPECT_EQ(Only(13).text, "/tmp/trace/brisol|/admin") << "the name goes without .trc";
  EXPECT_EQ(Vector(Only(13)), (std::vector<std::int32_t>{0, 1, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1}));
  EXPECT_EQ(Only(11).words, (std::vector<std::int64_t>{2, 3, 0, 0, 1}));
  EXPECT_EQ(trace->mode, NLDT_MODE_EXTERNAL);
  EXPECT_EQ(trace->flags & (NLDT_FLAG_EXTERNAL | NLDT_FLAG_ON), NLDT_FLAG_EXTERNAL | NLDT_FLAG_ON);
  EXPECT_EQ(trace->external_handle, handle_block);
  EXPECT_EQ(nldtdestroy(nullptr, &trace_), 0);

  calls.clear();
  ExternalTrace(6);
  EXPECT_EQ(Vector(Only(13)), (std::vector<std::int32_t>{0, 1, 1, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1}));
  EXPECT_EQ(nldtdestroy(nullptr, &trace_), 0);
  calls.clear();
  ExternalTrace(16);
  EXPECT_EQ(Vector(Only(13)), (std::vector<std::int32_t>{0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}));
}

TEST_F(TraceBridge, LevelZeroRegistersAndStaysInactive) {
  std::int32_t result = -1;
  NlTraceContext* trace = ExternalTrace(0, "on", &result);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Ordinals(), std::vector<int>{22});
  EXPECT_EQ(trace->external_handle, nullptr);
  EXPECT_EQ(trace->flags & NLDT_FLAG_EXTERNAL, 0);
  EXPECT_EQ(nldtotrc(nullptr, trace, 0, 1, 1, 0, 1, 0, 1003, ""), 0);
  EXPECT_EQ(Ordinals(), std::vector<int>{22}) << "an inactive bridge drops every record";
}

TEST_F(TraceBridge, RegistrationFailuresMapToTheirCodes) {
  const std::pair<std::int32_t, std::int32_t> cases[] = {{67, 512}, {43, 513}, {11, 514}, {5, 515}};
  for (const auto& [error, code] : cases) {
    results[22] = error;
    std::int32_t result = 0;
    NlTraceContext* trace = ExternalTrace(4, "yes", &result);
    EXPECT_EQ(result, code);
    EXPECT_EQ(trace->external_handle, nullptr);
    EXPECT_EQ(trace->flags & NLDT_FLAG_EXTERNAL, 0);
    EXPECT_EQ(nldtdestroy(nullptr, &trace_), 0);
  }
  results[22] = 0;
  results[13] = 43;
  std::int32_t result = 0;
  NlTraceContext* trace = ExternalTrace(4, "yes", &result);
  EXPECT_EQ(result, 513);
  EXPECT_EQ(trace->flags & NLDT_FLAG_EXTERNAL, 0);
  EXPECT_EQ(nldtotinit(nullptr, "STARTUPNAME", 4, "x", "y"), 512);
  EXPECT_EQ(nldtotinit(trace, "STARTUPNAME", 4, nullptr, "y"), 512);
}

TEST_F(TraceBridge, TextRecordsCarryTheCheckFormatAndTheArguments) {
  NlTraceContext* trace = ExternalTrace(4);
  calls.clear();
  NlPrimaryErrorRecord errors{};
  EXPECT_EQ(nldtotrc(&errors, trace, 0x55, NLTR_COMPONENT_STARTUP, 42, 4, 10, 1, 0, NLTR_SOURCE_NAME, "%s %d", "abc", 7),
            0);
  EXPECT_EQ(Ordinals(), (std::vector<int>{18, 20}));
  const ExternalCall& record = calls[0];
  EXPECT_EQ(record.words, (std::vector<std::int64_t>{ZT_TYPE_DETAIL_LOW, 0, 0, 0x55, 0}));
  Bytes expected;
  expected.U32(NLTR_COMPONENT_STARTUP).U32(42).U16(18).U32(NLTR_SOURCE_NAME).Text("%s %d").Text("abc").U32(7).Mask({1, 10});
  EXPECT_EQ(record.bytes, expected.get());

  calls.clear();
  EXPECT_EQ(nldtotrc(&errors, trace, 0, 1100, 7, 3, 1, 0, 1010, "%c%x%ld%%%u", 'Z', 0x10, 70000L, 9u), 0);
  Bytes mixed;
  mixed.U32(1100).U32(7).U16(4 + 12 + 1 + 4 + 4 + 4).U32(1010).Text("%c%x%ld%%%u");
  mixed.Raw("Z", 1).U32(0x10).U32(70000).U32(9).Mask({1});
  EXPECT_EQ(calls.at(0).bytes, mixed.get());

  calls.clear();
  EXPECT_EQ(nldtotrc(&errors, trace, 0, 1100, 8, 2, 0, 1011, ""), 0);
  EXPECT_EQ(calls.at(0).bytes, Bytes().U32(1100).U32(8).U16(4).U32(1011).Mask({}).get()) << "an empty format is absent";
  EXPECT_EQ(errors.count, 0);
}

TEST_F(TraceBridge, RecordTypesFollowTheLevelAndDumpsTheirOwnLayout) {
  NlTraceContext* trace = ExternalTrace(16);
  const std::pair<std::uint32_t, std::int32_t> types[] = {{0, 12}, {1, 12}, {2, 13}, {3, 1}, {4, 1},
                                                          {5, 2},  {6, 2},  {7, 3},  {16, 3}};
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
  dump.U32(1100).U32(55).U16(4).U32(0xCAFEF00Du).U16(3).Raw(data, 3).Mask({5, 14});
  EXPECT_EQ(calls.at(0).bytes, dump.get()) << "only the length's low 16 bits count";

  trace->level = 4;
  calls.clear();
  EXPECT_EQ(nldtotrc(nullptr, trace, 0, 1100, 1, 7, 1, 0, 1010, ""), 0);
  EXPECT_TRUE(calls.empty()) << "above the level";
}

TEST_F(TraceBridge, TheRecordBufferStartsAt8447AndDoubles) {
  NlTraceContext* trace = ExternalTrace(16);
  EXPECT_EQ(nldtotrc(nullptr, trace, 0, 1100, 1, 4, 1, 0, 1010, ""), 0);
  EXPECT_EQ(trace->record_capacity, 8447u);
  const std::vector<unsigned char> big(9000, 0x5A);
  EXPECT_EQ(nldtotrc(nullptr, trace, 0, 1100, 1, 4, 14, 0, 0u, 9000, big.data()), 0);
  EXPECT_EQ(trace->record_capacity, 2u * (9000 + 255));
  EXPECT_EQ(trace->record_length, 4u + 4 + 2 + 4 + 2 + 9000 + 2 + 64);
  const std::string long_text(40000, 'q');
  EXPECT_EQ(nldtotrc(nullptr, trace, 0, 1100, 1, 4, 1, 0, 1010, "%s", long_text.c_str()), 0);
  EXPECT_EQ(trace->record_capacity, 2u * (4 + 4 + 2 + 4 + 3 + 40001));
  EXPECT_EQ(calls.back().ordinal, 20);
  EXPECT_EQ(calls[calls.size() - 2].bytes.size(), 14u + 3 + 40001 + 66);
}

TEST_F(TraceBridge, ABufferThatCannotBeHadSendsTheAllocationFailureRecord) {
  NlTraceContext* trace = ExternalTrace(16);
  auto failure_record = [](std::uint32_t line) {
    return Bytes().U32(NLTR_COMPONENT_TRACE_CALL).U32(line).U16(4).U32(NLTR_NO_RECORD_MEMORY).get();
  };
  for (const bool grow : {false, true}) {
    const long allocations = SweepAllocationFailures(
        [&] {
          calls.clear();
          NlPrimaryErrorRecord errors{};
          const std::vector<unsigned char> data(grow ? 10000 : 10, 1);
          const std::int32_t result = nldtotrc(&errors, trace, 0, 1100, 1, 4, 14, 0, 0u, data.size(), data.data());
          if (AllocationFailed()) {
            EXPECT_EQ(result, NLE_TRACE_NO_MEMORY);
            EXPECT_EQ(Codes(errors), (std::vector<int>{NLE_TRACE_NO_MEMORY, NLE_TRACE_NO_MEMORY}));
            ASSERT_EQ(Ordinals(), (std::vector<int>{18, 20}));
            EXPECT_EQ(calls[0].bytes, failure_record(grow ? 1304 : 1264));
            EXPECT_EQ(calls[0].words.at(0), ZT_TYPE_DUMP) << "the type of the record that failed";
          } else {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(calls.at(0).bytes.size(), 82u + data.size());
          }
        },
        [&] {
          if (grow) return;
          kelnl::Release(trace->record_buffer);
          trace->record_buffer = nullptr;
          trace->record_capacity = 0;
        });
    EXPECT_EQ(allocations, 1);
    if (!grow) {
      // Keep a first buffer for the growth round.
      EXPECT_EQ(nldtotrc(nullptr, trace, 0, 1100, 1, 4, 1, 0, 1010, ""), 0);
    }
  }
}

TEST_F(TraceBridge, KeysGoOutAsHexadecimalAndAsKeyRecords) {
  const std::uint8_t key[8] = {0x01, 0xAB, 0x02, 0xCD, 0x03, 0xEF, 0x04, 0xFF};
  NlTraceContext* trace = ExternalTrace(4);
  calls.clear();
  EXPECT_EQ(nldtotCF3(trace, key, 77), 0);
  EXPECT_EQ(Ordinals(), (std::vector<int>{11, 8, 18, 20}));
  EXPECT_EQ(calls[0].words, (std::vector<std::int64_t>{2, 3, 77, 0, 0}));
  EXPECT_EQ(calls[1].text, "01AB02CD03EF04FF");
  EXPECT_EQ(calls[1].words, std::vector<std::int64_t>{3});
  EXPECT_EQ(calls[2].words, (std::vector<std::int64_t>{ZT_TYPE_KEY, 0, 0, 0, 0}));
  EXPECT_EQ(calls[2].bytes, std::vector<std::uint8_t>(key, key + 8));

  calls.clear();
  NlPrimaryErrorRecord errors{};
  std::int32_t size = -1;
  EXPECT_EQ(nldtotset(&errors, trace, key, 78, &size), 0);
  EXPECT_EQ(size, 12);
  EXPECT_EQ(Ordinals(), (std::vector<int>{11, 8, 18, 20}));
  EXPECT_EQ(calls[0].words, (std::vector<std::int64_t>{2, 3, 78, 0, 1}));
  EXPECT_EQ(calls[1].text, "01ab02cd03ef04ff");

  results[8] = 1;
  EXPECT_EQ(nldtotCF3(trace, key, 77), NLE_TRACE_BRIDGE_INACTIVE);
  size = -1;
  EXPECT_EQ(nldtotset(&errors, trace, key, 78, &size), NLE_TRACE_BRIDGE_INACTIVE);
  EXPECT_EQ(size, 0);
  results[8] = 0;
  control_size = 0;
  size = -1;
  EXPECT_EQ(nldtotset(&errors, trace, key, 78, &size), NLE_TRACE_BRIDGE_INACTIVE);
  EXPECT_EQ(size, 0);
  EXPECT_EQ(nldtotset(nullptr, trace, key, 78, &size), NLE_TRACE_BRIDGE_INACTIVE);
  EXPECT_EQ(nldtotset(&errors, nullptr, key, 78, &size), NLE_TRACE_BRIDGE_INACTIVE);
  EXPECT_EQ(Codes(errors), std::vector<int>{NLE_TRACE_NULL});
  EXPECT_EQ(nldtotCF3(trace, nullptr, 77), NLE_TRACE_BRIDGE_INACTIVE);
}

TEST_F(TraceBridge, DeregistrationReturnsTheLibrarysResult) {
  NlTraceContext* trace = ExternalTrace(4);
  calls.clear();
  results[24] = 33;
  EXPECT_EQ(nldtotdereg(nullptr, trace), 33);
  EXPECT_EQ(Only(24).words, (std::vector<std::int64_t>{0, 3}));
  NlPrimaryErrorRecord errors{};
  EXPECT_EQ(nldtotdereg(&errors, nullptr), NLE_TRACE_BRIDGE_INACTIVE);
  EXPECT_EQ(Codes(errors), std::vector<int>{NLE_TRACE_NULL});
  trace->flags = static_cast<std::uint8_t>(trace->flags & ~NLDT_FLAG_EXTERNAL);
  EXPECT_EQ(nldtotdereg(&errors, trace), NLE_TRACE_BRIDGE_INACTIVE);
}

}  // namespace
}  // namespace kelnl::testing
