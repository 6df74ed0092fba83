#include "context/data_representation.h"

#include "context/context_lock.h"
#include "platform/core/allocator.h"

#include <cstdint>
#include <cstring>

namespace kelnl {
namespace {

constexpr std::uint32_t kSizes[8] = {2, 4, 8, 4, 4, 4, 8, 4};
constexpr std::uint32_t kAlignments[10] = {0, 1, 3, 7, 3, 3, 0, 3, 7, 3};
// The flag bit that marks alignment word 2 ... 10 as not of the form 2^k - 1.
constexpr std::uint32_t kIrregularAlignmentBits[9] = {0x20000,  0x40000,  0x80000,
                                                      0x100000, 0x200000, 0x400000,
                                                      0x1000000, 0x800000, 0x2000000};
constexpr std::uint32_t kIrregularAlignment = 0x20;
constexpr std::uint32_t kVectorFlagA = 0x4000000;
constexpr std::uint32_t kVectorFlagB = 0x8000000;  // also omits the 8-byte positions

std::uint32_t BitsPerByte() {
  unsigned char value = 2;
  std::uint32_t bits = 1;
  while (value != 0) {
    value = static_cast<unsigned char>(value << 1);
    ++bits;
  }
  return bits;
}

// Stores a probe whose bytes are 1, 2, ... from least to most significant and notes where each
// byte value lands in memory.
template <typename Integer>
void FindBytePositions(std::uint32_t* positions) {
  Integer probe = 0;
  for (unsigned i = sizeof(Integer); i > 0; --i) probe = static_cast<Integer>((probe << 8) | i);
  unsigned char bytes[sizeof(Integer)];
  std::memcpy(bytes, &probe, sizeof bytes);
  for (unsigned position = 0; position < sizeof bytes; ++position) positions[bytes[position] - 1] = position;
}

// The byte that differs between 1.0 and -1.0, searched from the top, is the sign byte; the
// table is then filled from its last entry down in runs of (sign position + 1).
template <typename Floating>
void FindFloatOrder(std::uint8_t* table) {
  constexpr int size = sizeof(Floating);
  const Floating plus = 1, minus = -1;
  unsigned char a[size], b[size];
  std::memcpy(a, &plus, size);
  std::memcpy(b, &minus, size);
  int sign = size - 1;
  while (sign > 0 && a[sign] == b[sign]) --sign;
  const int run = sign + 1;
  int entry = size - 1;
  for (int base = 0; entry >= 0; base += run) {
    for (int value = base + run - 1; value >= base && entry >= 0; --value) {
      table[entry--] = static_cast<std::uint8_t>(value);
    }
  }
}

std::uint32_t FloatingFormatCode(const std::uint8_t* double_table) {
  const double two = 2.0;
  unsigned char bytes[sizeof two];
  std::memcpy(bytes, &two, sizeof bytes);
  const unsigned char top = bytes[double_table[7]];
  const unsigned char next = bytes[double_table[6]];
  if (top == 0x40) return next == 0 ? 1 : next == 0x20 ? 3 : 5;
  if (top == 0x41) return next == 0 ? 2 : 4;
  return 0;
}

std::uint32_t IrregularAlignmentFlags(const std::uint32_t* alignments) {
  std::uint32_t flags = 0;
  for (int word = 2; word <= 10; ++word) {
    const std::uint32_t value = alignments[word - 1];
    if ((value & (value + 1)) != 0) flags |= kIrregularAlignment | kIrregularAlignmentBits[word - 2];
  }
  return flags;
}

class VectorWriter {
 public:
  explicit VectorWriter(std::uint8_t* vector) : vector_(vector) {}
  void Byte(std::uint32_t value) {
    if (length_ < NL_REPRESENTATION_VECTOR_CAPACITY) vector_[length_++] = static_cast<std::uint8_t>(value);
  }
  void Pair(std::uint32_t high, std::uint32_t low) { Byte(((high & 0xF) << 4) | (low & 0xF)); }
  void Finish() { vector_[0] = static_cast<std::uint8_t>(length_); }

 private:
  std::uint8_t* vector_;
  int length_ = 1;  // the length byte counts itself
};

void BuildVector(NlDataRepresentation* d) {
  const std::uint32_t* align = d->alignments;  // align[n - 1] is alignment word n
  const std::uint32_t* size = d->sizes;        // size[n - 1] is size word n
  VectorWriter out(d->vector);
  out.Byte(d->bits_per_byte);
  out.Byte(0xFF);
  out.Byte(3);
  out.Byte(d->flags & 0xFF);
  out.Pair(align[0], align[6]);
  out.Pair(align[1], size[0]);
  out.Pair(align[2], size[1]);
  out.Pair(align[4], size[3]);
  out.Pair(align[5], size[4]);
  out.Pair(align[9], size[7]);
  out.Pair(align[7], size[5]);
  out.Pair(align[8], size[6]);
  out.Pair(d->int2_positions[1], d->int2_positions[0]);
  out.Pair(d->int4_positions[1], d->int4_positions[0]);
  out.Pair(d->int4_positions[3], d->int4_positions[2]);
  const struct {
    int table;
    std::uint32_t entries;
  } tables[] = {{kInt4TableA, size[3]}, {kInt4TableB, size[7]}, {kFloatTable, size[5]}, {kDoubleTable, size[6]}};
  for (const auto& t : tables) {
    const std::uint8_t* entry = d->byte_orders + t.table;
    for (std::uint32_t byte = 0; byte < t.entries / 2; ++byte) out.Pair(entry[2 * byte + 1], entry[2 * byte]);
  }
  out.Byte(((d->flags & kVectorFlagA) != 0 ? 1u : 0u) | ((d->flags & kVectorFlagB) != 0 ? 2u : 0u));
  out.Pair(align[3], size[2]);
  if ((d->flags & kVectorFlagB) == 0) {
    for (int k = 0; k < 8; k += 2) out.Pair(d->int8_positions[k + 1], d->int8_positions[k]);
  }
  out.Finish();
}

}  // namespace

void DescribeMachine(NlDataRepresentation* d) {
  d->flags = 0;
  d->bits_per_byte = BitsPerByte();
  std::memcpy(d->sizes, kSizes, sizeof kSizes);
  std::memcpy(d->alignments, kAlignments, sizeof kAlignments);
  FindBytePositions<std::uint16_t>(d->int2_positions);
  FindBytePositions<std::uint32_t>(d->int4_positions);
  FindBytePositions<std::uint64_t>(d->int8_positions);
  for (int i = 0; i < 4; ++i) {
    d->byte_orders[kInt4TableA + i] = static_cast<std::uint8_t>(d->int4_positions[i]);
    d->byte_orders[kInt4TableB + i] = static_cast<std::uint8_t>(d->int4_positions[i]);
  }
  FindFloatOrder<float>(d->byte_orders + kFloatTable);
  FindFloatOrder<double>(d->byte_orders + kDoubleTable);
  d->flags |= FloatingFormatCode(d->byte_orders + kDoubleTable);
  d->flags |= IrregularAlignmentFlags(d->alignments);
  BuildVector(d);
}

}  // namespace kelnl

extern "C" {

int32_t nlifigbl(NlGlobalContext* context) {
  constexpr int32_t kOutOfMemory = 1;
  if (context->data_representation == nullptr) {
    auto* descriptor = static_cast<NlDataRepresentation*>(kelnl::AllocateZeroed(1, sizeof(NlDataRepresentation)));
    if (descriptor == nullptr) return kOutOfMemory;
    kelnl::ContextMutexGuard guard(context, &context->context_mutex);
    context->data_representation = descriptor;
  }
  NlDataRepresentation* descriptor = context->data_representation;
  if (descriptor->byte_orders != nullptr) return 0;
  descriptor->byte_orders = static_cast<uint8_t*>(kelnl::AllocateZeroed(1, kelnl::kByteOrderBlockBytes));
  if (descriptor->byte_orders == nullptr) return kOutOfMemory;
  kelnl::DescribeMachine(descriptor);
  return 0;
}

void nliftgbl(NlGlobalContext* context) {
  NlDataRepresentation* descriptor = context->data_representation;
  if (descriptor == nullptr) return;
  kelnl::Release(descriptor->byte_orders);
  kelnl::Release(descriptor);
  kelnl::ContextMutexGuard guard(context, &context->context_mutex);
  context->data_representation = nullptr;
}

}  // extern "C"
