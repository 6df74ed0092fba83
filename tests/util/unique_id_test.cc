// Unique identifiers: the 6-2-2-6 text form, the hash, equality and creation.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <set>
#include <string>
#include <utility>

#include "kelnl/nlui.h"
#include "kelnl/snlpc.h"
#include "platform/core/core.h"
#include "util/unique_id.h"

namespace {

using Id = std::array<uint8_t, NLUI_ID_BYTES>;

Id Counting() {
  Id id{};
  for (int i = 0; i < NLUI_ID_BYTES; ++i) id[i] = static_cast<uint8_t>(i);
  return id;
}

std::string Text(const Id& id) {
  char text[NLUI_TEXT_BUFFER_SIZE];
  EXPECT_EQ(nluits(id.data(), text), NLUI_TEXT_LENGTH);
  return text;
}

TEST(UniqueIdText, GroupsBytesSixTwoTwoSixAndReadsBack) {
  EXPECT_EQ(Text(Counting()), "000102030405-0607-0809-0A0B0C0D0E0F");
  Id parsed{};
  ASSERT_EQ(nluifs("000102030405-0607-0809-0a0b0c0d0e0f", parsed.data()), 0u) << "lower case is accepted";
  EXPECT_EQ(parsed, Counting());
}

TEST(UniqueIdText, MalformedTextLeavesTheIdUntouched) {
  const Id before = Counting();
  for (const char* text : {
           "000102030405-0607-0809-0A0B0C0D0E0F0",  // 36 characters
           "000102030405-0607-0809-0A0B0C0D0EG0",   // the last field is not hex: fifteen bytes read
           "0001020304050-607-0809-0A0B0C0D0E0F",   // hyphen out of place
       }) {
    Id id = before;
    EXPECT_EQ(nluifs(text, id.data()), NLUI_STATUS_INVALID_ARGUMENT) << text;
    EXPECT_EQ(id, before) << text;
  }
  Id id = before;
  EXPECT_EQ(nluifs(nullptr, id.data()), NLUI_STATUS_INVALID_ARGUMENT);
  EXPECT_EQ(nluits(nullptr, nullptr), 0);
}

TEST(UniqueIdHashAndEquality, HashPairsEachByteWithTheOneEightOnEqualityTakesSixteenBytes) {
  // Byte 6 and its partner 14 go in first and are doubled seven times; byte 5 and 13 last:
  // 20 * 128 + 22 * 64 + 8 * 32 + 10 * 16 + 12 * 8 + 14 * 4 + 16 * 2 + 18.
  EXPECT_EQ(nluihash(Counting().data()), 4586u);
  EXPECT_EQ(nluihkey(Counting().data()), 4586u);

  const Id a = Counting();
  Id b = a;
  EXPECT_EQ(nluiheql(a.data(), 16, b.data()), 1);
  b[15] ^= 1;
  EXPECT_EQ(nluiheql(a.data(), 4, b.data()), 0) << "the length argument is ignored";
}

TEST(UniqueIdCreation, ReservedVariantBecomesOneOneZero) {
  const std::pair<int, int> cases[] = {{0xE5, 0xC5}, {0xDF, 0xDF}, {0xC0, 0xC0}, {0x80, 0x80}, {0, 0}};
  for (const auto& [before, after] : cases) {
    Id id{};
    id[8] = static_cast<uint8_t>(before);
    kelnl::util::ClearReservedVariant(id.data());
    EXPECT_EQ(id[8], after) << before;
  }
}

TEST(UniqueIdCreation, NewIdentifiersAreDistinctAndRoundTripThroughText) {
  std::set<Id> seen;
  for (int i = 0; i < 2000; ++i) {
    Id id{};
    ASSERT_EQ(nluicrt(nullptr, id.data()), NLUI_STATUS_OK);
    EXPECT_NE(id[8] & 0xE0, 0xE0);
    EXPECT_TRUE(seen.insert(id).second);
    Id back{};
    ASSERT_EQ(nluifs(Text(id).c_str(), back.data()), 0u);
    EXPECT_EQ(back, id);
  }
  EXPECT_EQ(nluicrt(nullptr, nullptr), NLUI_STATUS_INVALID_ARGUMENT);
}

uint32_t BigEndianAt(const uint8_t* bytes) {
  return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
}

TEST(ShortId, ProcessIdThenClockMostSignificantByteFirst) {
  NlOsErrorRecord os_error{};
  uint32_t process_id = 0;
  ASSERT_EQ(snlpcgpid(&os_error, &process_id), 0);
  SlCoreError core_error{};
  const uint32_t before = sltmgcs(&core_error);
  uint8_t id[8] = {};
  nlidg8(nullptr, id);
  const uint32_t after = sltmgcs(&core_error);
  EXPECT_EQ(BigEndianAt(id), process_id);
  EXPECT_LE(BigEndianAt(id + 4) - before, after - before) << "the clock is read during the call";
}

}  // namespace
