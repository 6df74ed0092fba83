#include "platform/nv/path.h"

#include "platform/nv/errors.h"

namespace kelnv {
namespace {

constexpr char kSeparator = '/';

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsWellFormed(std::string_view path) {
  return !path.empty() && path.front() != kSeparator && path.back() != kSeparator &&
         path.find("//") == std::string_view::npos;
}

int CountNames(std::string_view path) {
  int names = 1;
  for (char c : path) names += c == kSeparator ? 1 : 0;
  return names;
}

// Splits off the name before the next separator; path keeps what follows it.
std::string_view NextName(std::string_view* path) {
  const std::size_t end = path->find(kSeparator);
  const std::string_view name = path->substr(0, end);
  path->remove_prefix(end == std::string_view::npos ? path->size() : end + 1);
  return name;
}

}  // namespace

bool NamesMatch(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

bool IsValidName(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c == '(' || c == ')' || c == '=' || c == ' ' || c == '\t' || c == '\r' || c == '\n' ||
        c == '\0') {
      return false;
    }
  }
  return true;
}

Binding* FindChild(const Binding& list, std::string_view name) {
  for (std::uint32_t i = 0; i < list.child_count; ++i) {
    if (NamesMatch(NameOf(*list.children[i]), name)) return list.children[i];
  }
  return nullptr;
}

std::int32_t ResolvePath(const Binding& start, std::string_view path, Binding** found,
                         int* names) {
  if (!IsWellFormed(path)) return NLNV_ERROR_PATH;
  if (names != nullptr) *names = CountNames(path);
  if (!NamesMatch(NextName(&path), NameOf(start))) return NLNV_ERROR_NOT_FOUND;
  // Handles are mutable even when the caller's starting point is not: a found sub-binding is a
  // handle the caller may edit through.
  Binding* current = const_cast<Binding*>(&start);
  while (!path.empty()) {
    current = FindChild(*current, NextName(&path));
    if (current == nullptr) return NLNV_ERROR_NOT_FOUND;
  }
  *found = current;
  return kOk;
}

}  // namespace kelnv
