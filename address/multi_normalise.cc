// nlmadini's normalisation: whatever the caller gives becomes one DESCRIPTION_LIST.
#include <cstring>
#include <string_view>

#include "address/list_flags.h"
#include "address/multi_address.h"
#include "platform/core/allocator.h"

namespace kelnl::address {

namespace {

struct Wrapping {
  std::string_view keyword;
  std::string_view before;
  std::string_view after;
  std::int32_t form;
};

// ADDRESS_LIST before ADDRESS and DESCRIPTION_LIST before DESCRIPTION: each shorter keyword is a
// prefix of the longer one.
constexpr Wrapping kWrappings[] = {
    {"ADDRESS_LIST", "(DESCRIPTION_LIST=(DESCRIPTION=", "))", NLMAD_FORM_ADDRESS_LIST},
    {"ADDRESS", "(DESCRIPTION_LIST=(DESCRIPTION=", "))", NLMAD_FORM_ADDRESS},
    {"DESCRIPTION_LIST", "", "", NLMAD_FORM_DESCRIPTION_LIST},
    {"DESCRIPTION", "(DESCRIPTION_LIST=", ")", NLMAD_FORM_DESCRIPTION},
};
// The longest wrapping and the terminator.
constexpr std::size_t kWrappingRoom = 34;

// Slices are made by hand: substr's range check brings exception support, which pulls the
// thread runtime DLL into the Windows library.

// The text after its leading '(' and blank characters.
std::string_view TopWord(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size() && (text[start] == '(' || text[start] == ' ')) ++start;
  return {text.data() + start, text.size() - start};
}

// Callers write a descriptor inside extra parentheses, as in "((DESCRIPTION=...))"; a binding
// cannot begin with "((", so the redundant outer pairs are dropped. Without as many closing
// parentheses at the end the text is left whole, for the parser to refuse.
std::string_view WithoutOuterParentheses(std::string_view text) {
  const std::size_t word = text.size() - TopWord(text).size();
  const std::size_t innermost = text.find_last_of('(', word == 0 ? 0 : word - 1);
  if (word == 0 || innermost == std::string_view::npos) return text;
  std::size_t extra = 0;
  for (std::size_t i = 0; i < innermost; ++i) extra += text[i] == '(' ? 1 : 0;
  std::size_t end = text.size();
  for (; extra != 0 && end > innermost; --end) {
    const char c = text[end - 1];
    if (c == ')') {
      --extra;
    } else if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
      return text;
    }
  }
  return extra == 0 ? std::string_view(text.data() + innermost, end - innermost) : text;
}

const Wrapping* WrappingOf(std::string_view text) {
  const std::string_view word = TopWord(text);
  for (const Wrapping& wrapping : kWrappings) {
    if (word.size() >= wrapping.keyword.size() &&
        EqualsIgnoringCase({word.data(), wrapping.keyword.size()}, wrapping.keyword)) {
      return &wrapping;
    }
  }
  return nullptr;
}

// Only these exact spellings mark a descriptor as source-routed; a plain substring search.
bool MentionsSourceRoute(std::string_view text) {
  for (std::string_view spelling : {"SOURCE_ROUTE=yes", "source_route=yes", "SOURCE_ROUTE=YES"}) {
    if (text.find(spelling) != std::string_view::npos) return true;
  }
  return false;
}

bool HasSourceRoute(NlnvBinding* description) {
  static constexpr char kPath[] = "DESCRIPTION/SOURCE_ROUTE";
  const char* value = nullptr;
  std::size_t length = 0;
  return nlnvgap(description, kPath, sizeof kPath - 1, &value, &length, nullptr) == 0;
}

std::int32_t ParseWrapped(NlMultiAddressIterator* handle, std::string_view text, const Wrapping& wrapping) {
  const std::size_t size = text.size() + kWrappingRoom;
  char* buffer = static_cast<char*>(Allocate(size));
  if (buffer == nullptr) return NLMAD_INIT_NO_MEMORY;
  char* end = buffer;
  for (std::string_view piece : {wrapping.before, text, wrapping.after}) {
    std::memcpy(end, piece.data(), piece.size());
    end += piece.size();
  }
  const std::int32_t status = nlnvcrb(buffer, static_cast<std::size_t>(end - buffer), &handle->list, nullptr);
  Release(buffer);
  if (status == NLNV_ERROR_MEMORY) return NLMAD_INIT_NO_MEMORY;
  return status == 0 ? NLMAD_INIT_OK : NLMAD_INIT_REFUSED;
}

std::int32_t MarkInitialUse(NlMultiAddressIterator* handle, std::string_view text) {
  const std::uint32_t count = handle->description_count;
  if (count > NLMAD_USED_SLOTS) {
    handle->more_used = static_cast<std::uint8_t*>(AllocateZeroed(count - NLMAD_USED_SLOTS, 1));
    if (handle->more_used == nullptr) return NLMAD_INIT_NO_MEMORY;
  }
  if ((handle->options & NLMAD_OPTION_ROUTED_ONLY) != 0 && MentionsSourceRoute(text)) {
    for (std::uint32_t i = 0; i < count; ++i) {
      NlnvBinding* description = nullptr;
      nlnvgin(handle->list, i + 1, &description);
      if (!HasSourceRoute(description)) MarkDescriptionUsed(handle, i);
    }
  }
  for (std::uint32_t i = count; i < NLMAD_USED_SLOTS; ++i) handle->used[i] = 1;
  handle->current_description = -1;
  handle->next_address = -1;
  return NLMAD_INIT_OK;
}

}  // namespace

std::int32_t NormaliseDescriptor(NlMultiAddressIterator* handle, const char* text, std::uint32_t length) {
  // The text is read as a C string of at most length characters: a NUL ends it.
  const std::string_view whole(text, strnlen(text, length));
  const Wrapping* wrapping = WrappingOf(whole);
  if (wrapping == nullptr) return NLMAD_INIT_REFUSED;
  handle->form = wrapping->form;
  const std::int32_t result = ParseWrapped(handle, WithoutOuterParentheses(whole), *wrapping);
  if (result != NLMAD_INIT_OK) return result;
  if (nlnvnnv(handle->list, &handle->description_count) != 0) return NLMAD_INIT_REFUSED;
  if (handle->description_count > NLMAD_MAX_DESCRIPTIONS) return NLMAD_INIT_REFUSED;
  return MarkInitialUse(handle, whole);
}

bool DescriptionUsed(const NlMultiAddressIterator* handle, std::uint32_t index) {
  if (index < NLMAD_USED_SLOTS) return handle->used[index] != 0;
  return handle->more_used[index - NLMAD_USED_SLOTS] != 0;
}

void MarkDescriptionUsed(NlMultiAddressIterator* handle, std::uint32_t index) {
  if (index < NLMAD_USED_SLOTS) {
    handle->used[index] = 1;
  } else {
    handle->more_used[index - NLMAD_USED_SLOTS] = 1;
  }
}

}  // namespace kelnl::address
