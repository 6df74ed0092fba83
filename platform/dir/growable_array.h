// A growing array of plain values over the library allocator, for scratch lists whose length
// is known only at the end (the lines of an LDIF record, the entries of a file).
#ifndef KELNL_PLATFORM_DIR_GROWABLE_ARRAY_H
#define KELNL_PLATFORM_DIR_GROWABLE_ARRAY_H

#include <cstddef>
#include <cstring>
#include <string_view>
#include <type_traits>

#include "platform/core/allocator.h"

namespace kelnl::dir {

template <typename T>
class GrowableArray {
  static_assert(std::is_trivially_copyable_v<T>, "items are moved with memcpy");

 public:
  GrowableArray() = default;
  GrowableArray(const GrowableArray&) = delete;
  GrowableArray& operator=(const GrowableArray&) = delete;
  ~GrowableArray() { Release(items_); }

  // False when memory runs out; the array is then unchanged.
  bool Append(const T& item) {
    if (size_ == capacity_ && !Reserve(size_ + 1)) return false;
    items_[size_++] = item;
    return true;
  }
  bool AppendAll(const T* items, std::size_t count) {
    if (count == 0) return true;
    if (size_ + count > capacity_ && !Reserve(size_ + count)) return false;
    std::memcpy(items_ + size_, items, count * sizeof(T));
    size_ += count;
    return true;
  }
  void Clear() { size_ = 0; }

  T* data() { return items_; }
  const T* data() const { return items_; }
  std::size_t size() const { return size_; }
  T& operator[](std::size_t index) { return items_[index]; }
  const T& operator[](std::size_t index) const { return items_[index]; }

 private:
  bool Reserve(std::size_t wanted) {
    std::size_t capacity = capacity_ == 0 ? 16 : capacity_;
    while (capacity < wanted) {
      if (capacity > static_cast<std::size_t>(-1) / 2 / sizeof(T)) return false;
      capacity *= 2;
    }
    void* grown = Reallocate(items_, capacity * sizeof(T));
    if (grown == nullptr) return false;
    items_ = static_cast<T*>(grown);
    capacity_ = capacity;
    return true;
  }

  T* items_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace kelnl::dir

#endif
