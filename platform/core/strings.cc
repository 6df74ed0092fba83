// Case-insensitive comparison and lower-case copies, in the C locale's ASCII sense: names in
// configuration are ASCII, and the result must not change with the user's locale.
#include <cstddef>

#include "platform/core/core.h"

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

extern "C" {

int lstmclo(const char* a, const char* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    const int difference = static_cast<unsigned char>(Lower(a[i])) - static_cast<unsigned char>(Lower(b[i]));
    if (difference != 0) return difference;
    if (a[i] == '\0') return 0;
  }
  return 0;
}

int lstclo(const char* a, const char* b) { return lstmclo(a, b, static_cast<std::size_t>(-1)); }

char* lstmlo(char* destination, const char* source, std::size_t n) {
  std::size_t i = 0;
  for (; i < n && source[i] != '\0'; ++i) destination[i] = Lower(source[i]);
  destination[i] = '\0';
  return destination;
}

char* lstlo(char* destination, const char* source) {
  return lstmlo(destination, source, static_cast<std::size_t>(-1));
}

}  // extern "C"
