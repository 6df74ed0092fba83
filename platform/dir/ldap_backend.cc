// A directory server reached over LDAP: one connection bound at open, one base-scope search per
// entry read, the values copied into the result.
#include <cstring>

#include "platform/dir/directory_internal.h"

namespace kelnl::dir {

namespace {

const char* OrEmpty(const char* text) { return text == nullptr ? "" : text; }

std::int32_t CodeOf(os::ServerResult result) {
  switch (result) {
    case os::ServerResult::kOk:
      return 0;
    case os::ServerResult::kNotFound:
      return kDirectoryEntryNotFound;
    case os::ServerResult::kUnreachable:
      return kDirectoryServerUnreachable;
    case os::ServerResult::kBindRefused:
      return kDirectoryBindRefused;
    case os::ServerResult::kNoMemory:
      return kDirectoryNoMemory;
    case os::ServerResult::kFailed:
      break;
  }
  return kDirectoryServerFailed;
}

// "(objectClass=CLASS)" with the characters a filter gives meaning escaped, or a filter every
// entry matches when no class is required.
const char* ClassFilter(const char* object_class, Arena& arena) {
  if (object_class == nullptr) return "(objectClass=*)";
  static constexpr char kPrefix[] = "(objectClass=";
  const std::size_t length = std::strlen(object_class);
  auto* filter = static_cast<char*>(arena.Take(sizeof kPrefix + length * 3 + 1));
  if (filter == nullptr) return nullptr;
  char* out = filter;
  std::memcpy(out, kPrefix, sizeof kPrefix - 1);
  out += sizeof kPrefix - 1;
  static constexpr char kHex[] = "0123456789abcdef";
  for (std::size_t i = 0; i < length; ++i) {
    const char c = object_class[i];
    if (c == '*' || c == '(' || c == ')' || c == '\\') {
      *out++ = '\\';
      *out++ = kHex[static_cast<unsigned char>(c) >> 4];
      *out++ = kHex[static_cast<unsigned char>(c) & 0xF];
    } else {
      *out++ = c;
    }
  }
  *out++ = ')';
  *out = '\0';
  return filter;
}

// The table as the null-terminated list a search takes. An empty table asks for no attribute,
// which a search spells "1.1" (an empty list would mean every attribute).
const char* const* AttributeList(const char* const* attributes, Arena& arena, bool* no_memory) {
  *no_memory = false;
  if (attributes == nullptr) return nullptr;
  std::size_t count = 0;
  while (!EndOfTable(attributes[count])) ++count;
  auto* list = arena.TakeArray<const char*>(count + 2);
  if (list == nullptr) {
    *no_memory = true;
    return nullptr;
  }
  for (std::size_t i = 0; i < count; ++i) list[i] = attributes[i];
  list[count] = nullptr;
  if (count == 0) {
    list[0] = "1.1";
    list[1] = nullptr;
  }
  return list;
}

// Copies what the server sends into the result.
class ResultSink final : public os::DirectoryEntrySink {
 public:
  explicit ResultSink(DirectoryResult* result) : result_(result) {}

  bool Name(std::string_view name) override {
    result_->name = result_->arena.Copy(name);
    return result_->name != nullptr;
  }
  bool Attribute(std::string_view type, std::size_t value_count) override {
    const char* copy = result_->arena.Copy(type);
    values_ = result_->arena.TakeArray<char*>(value_count + 1);
    if (copy == nullptr || values_ == nullptr) return false;
    for (std::size_t i = 0; i <= value_count; ++i) values_[i] = nullptr;
    return result_->AddAttribute(copy, values_);
  }
  bool Value(std::size_t index, std::string_view value) override {
    values_[index] = result_->arena.Copy(value);
    return values_[index] != nullptr;
  }

 private:
  DirectoryResult* result_;
  char** values_ = nullptr;
};

}  // namespace

std::int32_t ConnectLdap(const DirectorySettings& settings, os::DirectoryServer** server) {
  // The client library would take an empty URI as "the server of the system's LDAP
  // configuration", a server nobody configured for this product.
  if (OrEmpty(settings.uri)[0] == '\0') return kDirectoryBadArgument;
  return CodeOf(os::ConnectDirectoryServer(OrEmpty(settings.uri), OrEmpty(settings.bind_dn),
                                           OrEmpty(settings.password), kDirectoryServerTimeoutSeconds, server));
}

std::int32_t ReadLdapEntry(os::DirectoryServer* server, const char* entry_name, const char* object_class,
                           const char* const* attributes, DirectoryResult* result) {
  const char* filter = ClassFilter(object_class, result->arena);
  bool no_memory = false;
  const char* const* list = AttributeList(attributes, result->arena, &no_memory);
  if (filter == nullptr || no_memory) return kDirectoryNoMemory;
  ResultSink sink(result);
  return CodeOf(os::ReadDirectoryServerEntry(server, entry_name, filter, list, kDirectoryServerTimeoutSeconds, &sink));
}

}  // namespace kelnl::dir
