// Splitting a line into words, and separating option words from plain ones.
#include <cstring>

#include "cmdint/interpreter.h"
#include "kelnl/nler.h"
#include "kelnl/nlerrors.h"

namespace {

bool IsSeparator(char character) {
  return character == ' ' || character == '\t' || character == '\f' || character == '\n';
}

}  // namespace

extern "C" int32_t nlcpprs(NlGlobalContext* context, char* line, int32_t length, char** words, int32_t max_words,
                           int32_t* word_count_out) {
  // The line is terminated; its length says nothing a scan does not.
  (void)length;
  int32_t count = 0;
  char* cursor = line;
  while (cursor != nullptr && *cursor != '\0') {
    if (IsSeparator(*cursor)) {
      *cursor++ = '\0';
      continue;
    }
    if (count == max_words) {
      // The words found so far stay in the list, which ends after the last of them.
      words[count] = nullptr;
      if (word_count_out != nullptr) *word_count_out = count;
      nlerrec(context != nullptr ? context->error_stack : nullptr, kelnl::cmdint::kLibraryFacility,
              NLE_CONTROL_TOO_MANY_WORDS, 0);
      return NLE_CONTROL_TOO_MANY_WORDS;
    }
    words[count++] = cursor;
    while (*cursor != '\0' && !IsSeparator(*cursor)) ++cursor;
  }
  words[count] = nullptr;
  if (word_count_out != nullptr) *word_count_out = count;
  return 0;
}

extern "C" void nlcpargs(void* first, int32_t word_count, char** words, int32_t* option_count_out,
                         char*** options_out, int32_t* plain_count_out, char*** plain_out) {
  (void)first;
  if (word_count < 1 || words == nullptr) {
    *option_count_out = 0;
    *options_out = nullptr;
    *plain_count_out = 0;
    *plain_out = nullptr;
    return;
  }
  int32_t last_unsorted = word_count - 1;
  int32_t position = 0;
  // Stops before the first word can be moved: it is always a plain word (the command's subject).
  while (last_unsorted >= 1 && last_unsorted >= position) {
    if (std::strchr(words[position], '=') == nullptr) {
      ++position;
      continue;
    }
    char* option = words[position];
    std::memmove(words + position, words + position + 1,
                 static_cast<std::size_t>(last_unsorted - position) * sizeof(char*));
    words[last_unsorted--] = option;
  }
  const int32_t option_count = word_count - 1 - last_unsorted;
  *option_count_out = option_count;
  *options_out = words + (last_unsorted + 1);
  *plain_count_out = word_count - option_count;
  *plain_out = words;
}
