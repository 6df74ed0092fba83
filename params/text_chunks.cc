#include "params/text_chunks.h"

#include <cctype>
#include <cstring>

#include "platform/core/allocator.h"

namespace kelnl {
namespace {

// 16 spare chunks (8192 characters) are enough for the long values of ordinary files; a file
// with longer values pays for allocation instead of keeping the memory.
constexpr int kMaximumSpareChunks = 16;
// A short token was written into its chunk a few bytes at a time just before it is copied out;
// the wide loads of memcpy over those bytes would stall until the writes drain, byte loads do not.
constexpr std::uint32_t kShortCopy = 64;

std::uint32_t Used(const NlTextChunk* chunk) {
  return static_cast<std::uint32_t>(chunk->write_position - chunk->data);
}

void KeepOrRelease(NlParameterTable* table, NlTextChunk* chain) {
  int spares = 0;
  for (NlTextChunk* spare = table->spare_chunks; spare != nullptr; spare = spare->next) ++spares;
  while (chain != nullptr) {
    NlTextChunk* next = chain->next;
    if (spares < kMaximumSpareChunks) {
      chain->next = table->spare_chunks;
      table->spare_chunks = chain;
      ++spares;
    } else {
      Release(chain);
    }
    chain = next;
  }
}

NlTextChunk* TakeChunk(NlParameterTable* table) {
  NlTextChunk* chunk = table->spare_chunks;
  if (chunk != nullptr) {
    table->spare_chunks = chunk->next;
  } else {
    chunk = static_cast<NlTextChunk*>(Allocate(sizeof(NlTextChunk)));
    if (chunk == nullptr) return nullptr;
  }
  chunk->next = nullptr;
  chunk->count = 0;
  chunk->write_position = chunk->data;
  return chunk;
}

}  // namespace

bool TokenGatherer::Begin() {
  NlTextChunk* head = table_->current_chunk;
  if (head == nullptr) {
    head = TakeChunk(table_);
    if (head == nullptr) return false;
    table_->current_chunk = head;
  } else if (head->next != nullptr) {
    KeepOrRelease(table_, head->next);
    head->next = nullptr;
  }
  head->write_position = head->data;
  head->count = 0;
  tail_ = head;
  return true;
}

bool TokenGatherer::Extend() {
  NlTextChunk* chunk = TakeChunk(table_);
  if (chunk == nullptr) return false;
  tail_->count = Used(tail_);
  tail_->next = chunk;
  tail_ = chunk;
  return true;
}

bool TokenGatherer::AppendRun(const char* text, std::size_t count) {
  while (count > 0) {
    std::size_t room = static_cast<std::size_t>(tail_->data + NLPA_CHUNK_CHARACTERS - tail_->write_position);
    if (room == 0) {
      if (!Extend()) return false;
      room = NLPA_CHUNK_CHARACTERS;
    }
    const std::size_t part = count < room ? count : room;
    std::memcpy(tail_->write_position, text, part);
    tail_->write_position += part;
    text += part;
    count -= part;
  }
  return true;
}

std::uint32_t TokenGatherer::Finish() {
  NlTextChunk* head = table_->current_chunk;
  std::uint32_t total = 0;
  for (NlTextChunk* chunk = head; chunk != nullptr; chunk = chunk->next) {
    chunk->count = Used(chunk);
    total += chunk->count;
  }
  head->count = total;
  return total;
}

void TokenGatherer::CopyTo(char* destination) const {
  for (const NlTextChunk* chunk = table_->current_chunk; chunk != nullptr; chunk = chunk->next) {
    const std::uint32_t used = Used(chunk);
    if (used < kShortCopy) {
      for (std::uint32_t i = 0; i < used; ++i) destination[i] = chunk->data[i];
    } else {
      std::memcpy(destination, chunk->data, used);
    }
    destination += used;
  }
}

bool TokenGatherer::Equals(const char* text, std::uint32_t length, bool case_sensitive) const {
  const NlTextChunk* head = table_->current_chunk;
  if (head->count != length) return false;
  for (const NlTextChunk* chunk = head; chunk != nullptr; chunk = chunk->next) {
    const std::uint32_t used = Used(chunk);
    for (std::uint32_t i = 0; i < used; ++i, ++text) {
      const auto a = static_cast<unsigned char>(chunk->data[i]);
      const auto b = static_cast<unsigned char>(*text);
      if (a != b && (case_sensitive || std::tolower(a) != std::tolower(b))) return false;
    }
  }
  return true;
}

void ReleaseChunks(NlParameterTable* table) {
  for (NlTextChunk* chains[] = {table->current_chunk, table->spare_chunks}; NlTextChunk* chunk : chains) {
    while (chunk != nullptr) {
      NlTextChunk* next = chunk->next;
      Release(chunk);
      chunk = next;
    }
  }
  table->current_chunk = nullptr;
  table->spare_chunks = nullptr;
}

}  // namespace kelnl
