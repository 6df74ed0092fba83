#include "params/list_elements.h"

#include <cstring>

#include "kelnl/nlerrors.h"
#include "params/record_arena.h"

namespace kelnl {
namespace {

// The scan state over the characters after the opening parenthesis.
struct ListScan {
  int quote = 0;           // 0, '\'' or '"'
  int depth = 0;           // -1 once the list's own ')' is passed
  int escape_countdown = 0;
  bool content = false;    // the current element has kept a character
  std::uint32_t count = 1;
};

// Returns false when the list is malformed (a ')' below the list's own).
bool ScanCharacter(ListScan& scan, char c, char*& out) {
  if (scan.escape_countdown > 0) scan.escape_countdown -= 1;
  const bool escaped = scan.escape_countdown > 0;
  const bool outside = scan.quote == 0;
  if ((c == ' ' || c == '\t') && !escaped && outside && !scan.content) return true;  // leading blank
  if (!escaped && c == '"' && scan.quote != '\'') {
    scan.quote = scan.quote == '"' ? 0 : '"';
  } else if (!escaped && c == '\'' && scan.quote != '"') {
    scan.quote = scan.quote == '\'' ? 0 : '\'';
  } else if (!escaped && outside && c == '(') {
    scan.depth += 1;
  } else if (!escaped && outside && c == ')') {
    scan.depth -= 1;
    if (scan.depth < -1) return false;
    if (scan.depth == -1) {
      scan.content = false;
      return true;  // the list's own closing parenthesis is not part of an element
    }
  } else if (!escaped && outside && c == ',' && scan.depth == 0) {
    *out++ = '\0';
    scan.count += 1;
    scan.content = false;
    return true;
  } else if (c == '\\' && scan.escape_countdown == 0) {
    scan.escape_countdown = 2;
  }
  *out++ = c;
  scan.content = true;
  return true;
}

}  // namespace

std::int32_t SplitListValue(NlParameterTable* table, NlParamValue* value) {
  if (value->elements != nullptr) return 0;
  // Elements and their terminators never take more room than the text itself.
  char* elements = static_cast<char*>(CarveRecord(table, value->text_length + std::size_t{1}));
  if (elements == nullptr) return NLE_PARAM_NO_MEMORY;
  ListScan scan;
  char* out = elements;
  bool well_formed = true;
  for (std::uint32_t i = 1; i < value->text_length && well_formed; ++i) {
    well_formed = ScanCharacter(scan, value->text[i], out);
  }
  *out = '\0';
  value->element_count = scan.count;
  if (!well_formed || scan.depth != -1) {
    ReleaseRecord(table, elements, value->text_length + std::size_t{1});
    return NLE_PARAM_BAD_LIST;
  }
  value->elements = elements;
  return 0;
}

const char* ListElement(const NlParamValue* value, std::uint32_t index, std::uint32_t* length) {
  const char* element = value->elements;
  for (std::uint32_t i = 1; i < index; ++i) element += std::strlen(element) + 1;
  *length = static_cast<std::uint32_t>(std::strlen(element));
  return element;
}

}  // namespace kelnl
