// Gathering tokens (names and values) of any length in the table's 512-character chunks.
#ifndef KELNL_PARAMS_TEXT_CHUNKS_H
#define KELNL_PARAMS_TEXT_CHUNKS_H

#include <cstdint>

#include "kelnl/nlpa.h"

namespace kelnl {

// The token being gathered: the chain starts at the table's current chunk; writing happens in
// the tail. Spare chunks are reused before new ones are allocated.
class TokenGatherer {
 public:
  explicit TokenGatherer(NlParameterTable* table) : table_(table) {}

  // Starts an empty token. False when no first chunk could be allocated.
  bool Begin();
  // Appends one character. False when memory ran out for a further chunk.
  bool Append(char c) {
    if (tail_->write_position == tail_->data + NLPA_CHUNK_CHARACTERS && !Extend()) return false;
    *tail_->write_position++ = c;
    return true;
  }
  // Appends count characters. False when memory ran out for a further chunk.
  bool AppendRun(const char* text, std::size_t count);
  // Completes the token: the first chunk's count becomes the token's length, and the chunks
  // after the first go back to the spare list (16 at most are kept).
  std::uint32_t Finish();
  // Copies a finished token of length bytes into destination (no terminator).
  void CopyTo(char* destination) const;
  // True when the finished token equals text, exactly or ignoring case.
  bool Equals(const char* text, std::uint32_t length, bool case_sensitive) const;

 private:
  bool Extend();

  NlParameterTable* table_;
  NlTextChunk* tail_ = nullptr;
};

// Releases the current chunk chain and every spare chunk.
void ReleaseChunks(NlParameterTable* table);

}  // namespace kelnl

#endif
