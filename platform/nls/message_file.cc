// Message files of the national-language library: opening, lookups and closing.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>

#include "platform/core/allocator.h"
#include "platform/nls/language.h"
#include "platform/nls/message_cache.h"
#include "platform/nls/message_index.h"
#include "platform/nls/message_path.h"
#include "platform/nls/nls.h"

namespace kelnl::nls {
namespace {

// What the library keeps in the caller's NlMessageFileContext after the status word.
struct MessageFileBody {
  std::FILE* file;
  MessageIndex index;
  void* cache;  // bound by lmsacbn; owned by the caller
  char product[NL_EMFI_PRODUCT_CAPACITY];
  char facility[NL_EMFI_FACILITY_CAPACITY];
};
static_assert(sizeof(MessageFileBody) <= sizeof(NlMessageFileContext::opaque),
              "message file context too small");

MessageFileBody* Body(NlMessageFileContext* file) {
  return std::launder(reinterpret_cast<MessageFileBody*>(file->opaque));
}
const MessageFileBody* Body(const NlMessageFileContext* file) {
  return std::launder(reinterpret_cast<const MessageFileBody*>(file->opaque));
}

void CopyName(char* destination, std::size_t capacity, const char* name) {
  std::size_t length = name == nullptr ? 0 : std::strlen(name);
  if (length >= capacity) length = capacity - 1;
  if (length > 0) std::memcpy(destination, name, length);
  destination[length] = '\0';
}

// Reads the whole file once to index it; the texts are read again on demand.
std::int32_t IndexFile(std::FILE* file, MessageIndex* index) {
  if (std::fseek(file, 0, SEEK_END) != 0) return kLmsNoMessageFile;
  const long size = std::ftell(file);
  if (size < 0 || static_cast<unsigned long>(size) > kMaxMessageFileBytes) return kLmsNoMessageFile;
  if (std::fseek(file, 0, SEEK_SET) != 0) return kLmsNoMessageFile;
  UniqueBlock<char> text(static_cast<char*>(Allocate(static_cast<std::size_t>(size) + 1)));
  if (text == nullptr) return kLmsNoMemory;
  if (std::fread(text.get(), 1, static_cast<std::size_t>(size), file) != static_cast<std::size_t>(size)) {
    return kLmsNoMessageFile;
  }
  if (!BuildMessageIndex(std::string_view(text.get(), static_cast<std::size_t>(size)), index)) {
    return kLmsNoMemory;
  }
  return kLmsOpen;
}

enum class Fallback { kNoMessageFile, kNotReadable, kNoText };

std::size_t WriteFallback(const MessageFileBody& body, std::uint32_t number, Fallback reason,
                          char* destination, std::size_t room) {
  const char* why = reason == Fallback::kNoMessageFile ? "message file not found"
                    : reason == Fallback::kNotReadable ? "message file not readable"
                                                       : "no text in the message file";
  const int written = std::snprintf(destination, room, "%s/%s message %" PRIu32 ": %s",
                                    body.product, body.facility, number, why);
  if (written < 0) {
    destination[0] = '\0';
    return 0;
  }
  return static_cast<std::size_t>(written) < room ? static_cast<std::size_t>(written) : room - 1;
}

std::size_t CopyText(std::string_view text, char* destination, std::size_t room) {
  const std::size_t length = text.size() < room ? text.size() : room - 1;
  std::memcpy(destination, text.data(), length);
  destination[length] = '\0';
  return length;
}

bool ReadAt(std::FILE* file, std::uint32_t offset, char* destination, std::size_t length) {
  return std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0 &&
         std::fread(destination, 1, length, file) == length;
}

// Reads the text of an indexed message, through the cache when the text is short enough for it.
std::size_t ReadMessage(MessageFileBody& body, const MessageIndexEntry& entry, char* destination,
                        std::size_t room) {
  if (entry.length <= kCacheTextCapacity) {
    char text[kCacheTextCapacity];
    if (!ReadAt(body.file, entry.offset, text, entry.length)) {
      return WriteFallback(body, entry.number, Fallback::kNotReadable, destination, room);
    }
    if (body.cache != nullptr) CacheStore(body.cache, entry.number, std::string_view(text, entry.length));
    return CopyText(std::string_view(text, entry.length), destination, room);
  }
  const std::size_t length = entry.length < room ? entry.length : room - 1;
  if (!ReadAt(body.file, entry.offset, destination, length)) {
    return WriteFallback(body, entry.number, Fallback::kNotReadable, destination, room);
  }
  destination[length] = '\0';
  return length;
}

bool IsOpen(const NlMessageFileContext* file) {
  return file->status == kLmsOpen && Body(file)->file != nullptr;
}

}  // namespace

bool HasMessage(const NlMessageFileContext* file, std::uint32_t number) {
  return file != nullptr && IsOpen(file) && FindMessage(Body(file)->index, number) != nullptr;
}

}  // namespace kelnl::nls

using kelnl::nls::MessageFileBody;

extern "C" void lmsaip(NlMessageFileContext* file, const char* product, const char* facility,
                       std::int32_t, void* language_handle, NlLanguageContext* context,
                       std::size_t* proposed_cache_size) {
  if (proposed_cache_size != nullptr) *proposed_cache_size = 0;
  if (file == nullptr) return;
  // Opening an open file starts afresh rather than losing the file it had.
  if (kelnl::nls::IsOpen(file)) lmsatrm(file);
  auto* body = new (file->opaque) MessageFileBody{};
  kelnl::nls::CopyName(body->product, sizeof body->product, product);
  kelnl::nls::CopyName(body->facility, sizeof body->facility, facility);
  file->status = kLmsNoMessageFile;

  const kelnl::nls::LanguageDefinition* language = kelnl::nls::LanguageOf(language_handle, context);
  if (language == nullptr || product == nullptr || facility == nullptr) return;
  std::FILE* opened = kelnl::nls::OpenMessageFile(product, facility, language->code);
  if (opened == nullptr) return;
  const std::int32_t status = kelnl::nls::IndexFile(opened, &body->index);
  if (status != kLmsOpen) {
    kelnl::nls::ReleaseMessageIndex(&body->index);
    std::fclose(opened);
    file->status = status;
    return;
  }
  body->file = opened;
  file->status = kLmsOpen;
  if (proposed_cache_size != nullptr) *proposed_cache_size = kelnl::nls::CacheSizeFor(body->index.count);
}

extern "C" void lmsacin(void* buffer, std::size_t size, std::int32_t mode) {
  constexpr std::int32_t kPrepareEmpty = 1;
  if (buffer == nullptr) return;
  if (mode == kPrepareEmpty) {
    kelnl::nls::PrepareCache(buffer, size);
  } else if (size >= kelnl::nls::kCacheHeaderBytes) {
    // Leave no mark behind, so that an old cache in reused storage is not bound by mistake.
    std::memset(buffer, 0, kelnl::nls::kCacheHeaderBytes);
  }
}

extern "C" void lmsacbn(NlMessageFileContext* file, void* buffer, std::int32_t) {
  if (file == nullptr || !kelnl::nls::IsOpen(file)) return;
  kelnl::nls::Body(file)->cache = kelnl::nls::IsPreparedCache(buffer) ? buffer : nullptr;
}

extern "C" std::size_t lmsagbf(NlMessageFileContext* file, std::uint32_t number, char* destination,
                               std::size_t room) {
  using kelnl::nls::Fallback;
  if (file == nullptr || destination == nullptr || room == 0) return 0;
  MessageFileBody& body = *kelnl::nls::Body(file);
  if (!kelnl::nls::IsOpen(file)) {
    const Fallback reason = file->status == kLmsNoMessageFile ? Fallback::kNoMessageFile
                                                              : Fallback::kNotReadable;
    return kelnl::nls::WriteFallback(body, number, reason, destination, room);
  }
  std::string_view cached;
  if (body.cache != nullptr && kelnl::nls::CacheFind(body.cache, number, &cached)) {
    return kelnl::nls::CopyText(cached, destination, room);
  }
  const kelnl::nls::MessageIndexEntry* entry = kelnl::nls::FindMessage(body.index, number);
  if (entry == nullptr) return kelnl::nls::WriteFallback(body, number, Fallback::kNoText, destination, room);
  return kelnl::nls::ReadMessage(body, *entry, destination, room);
}

extern "C" void lmsatrm(NlMessageFileContext* file) {
  if (file == nullptr) return;
  MessageFileBody& body = *kelnl::nls::Body(file);
  if (file->status == kLmsOpen && body.file != nullptr) {
    std::fclose(body.file);
    kelnl::nls::ReleaseMessageIndex(&body.index);
  }
  body.file = nullptr;
  body.cache = nullptr;
  file->status = kLmsClosed;
}
