// The growing texts and pair lists of the directory converters, and nlolfmem.
#include "params/directory_text.h"

#include <cstring>

#include "platform/core/allocator.h"
#include "platform/core/core.h"

namespace kelnl::params {

DirectoryText::~DirectoryText() { Release(data_); }

DirectoryText& DirectoryText::Append(std::string_view text) {
  if (failed_) return *this;
  const std::size_t needed = static_cast<std::size_t>(length_) + text.size() + 1;
  if (needed > capacity_) {
    std::size_t capacity = capacity_ < 64 ? 64 : capacity_;
    while (capacity < needed) capacity *= 2;
    auto* grown = static_cast<char*>(Reallocate(data_, capacity));
    if (grown == nullptr) {
      failed_ = true;
      return *this;
    }
    data_ = grown;
    capacity_ = static_cast<std::uint32_t>(capacity);
  }
  if (!text.empty()) std::memcpy(data_ + length_, text.data(), text.size());
  length_ += static_cast<std::uint32_t>(text.size());
  data_[length_] = '\0';
  return *this;
}

DirectoryText& DirectoryText::AppendValues(char* const* values, std::string_view separator) {
  for (char* const* value = values; value != nullptr && *value != nullptr; ++value) {
    if (value != values) Append(separator);
    Append(*value);
  }
  return *this;
}

char* DirectoryText::Take() {
  if (data_ == nullptr && !failed_) Append({});
  char* text = failed_ ? nullptr : data_;
  if (failed_) Release(data_);
  data_ = nullptr;
  length_ = capacity_ = 0;
  failed_ = false;
  return text;
}

char* CopyText(std::string_view text) {
  auto* copy = static_cast<char*>(Allocate(text.size() + 1));
  if (copy == nullptr) return nullptr;
  if (!text.empty()) std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  return copy;
}

std::int32_t PutPair(NlolPair*** pairs, std::uint32_t* count, std::string_view name, const char* value,
                     bool replace) {
  char* value_copy = nullptr;
  if (value != nullptr && (value_copy = CopyText(value)) == nullptr) return NLOL_NO_MEMORY;
  if (replace) {
    for (std::uint32_t i = 0; i < *count; ++i) {
      NlolPair* pair = (*pairs)[i];
      if (std::strlen(pair->name) == name.size() && lstmclo(pair->name, name.data(), name.size()) == 0) {
        SetPairValue(pair, value_copy);
        return NLOL_OK;
      }
    }
  }
  auto* pair = static_cast<NlolPair*>(Allocate(sizeof(NlolPair)));
  char* name_copy = pair != nullptr ? CopyText(name) : nullptr;
  auto* grown = name_copy != nullptr
                    ? static_cast<NlolPair**>(Reallocate(*pairs, (static_cast<std::size_t>(*count) + 1) * sizeof(NlolPair*)))
                    : nullptr;
  if (grown == nullptr) {
    Release(name_copy);
    Release(pair);
    Release(value_copy);
    return NLOL_NO_MEMORY;
  }
  *pair = NlolPair{name_copy, value_copy};
  grown[*count] = pair;
  *pairs = grown;
  *count += 1;
  return NLOL_OK;
}

std::int32_t PutPair(NlolPair*** pairs, std::uint32_t* count, const DirectoryText& name,
                     const DirectoryText& value, bool replace) {
  if (name.failed() || value.failed()) return NLOL_NO_MEMORY;
  return PutPair(pairs, count, name.view(), value.view().data(), replace);
}

void SetPairValue(NlolPair* pair, char* value) {
  Release(pair->value);
  pair->value = value;
}

void RemovePair(NlolPair** pairs, std::uint32_t* count, std::uint32_t index) {
  NlolPair* pair = pairs[index];
  Release(pair->name);
  Release(pair->value);
  Release(pair);
  for (std::uint32_t i = index + 1; i < *count; ++i) pairs[i - 1] = pairs[i];
  *count -= 1;
}

}  // namespace kelnl::params

extern "C" int32_t nlolfmem(NlGlobalContext*, NlolPair** pairs, uint32_t count) {
  if (pairs == nullptr) return 0;
  for (uint32_t i = 0; i < count; ++i) {
    if (pairs[i] == nullptr) continue;
    kelnl::Release(pairs[i]->name);
    kelnl::Release(pairs[i]->value);
    kelnl::Release(pairs[i]);
  }
  kelnl::Release(pairs);
  return 0;
}
