// A bump allocator over blocks of the library allocator: the entries of an LDIF file and the
// values of a result live and die together, so they are carved from a few big blocks and released
// in one sweep instead of one by one.
#ifndef KELNL_PLATFORM_DIR_ARENA_H
#define KELNL_PLATFORM_DIR_ARENA_H

#include <cstddef>
#include <string_view>

namespace kelnl::dir {

class Arena {
 public:
  // The first block holds about first_block bytes; each further one doubles, up to a limit, so a
  // small result stays small and a big file needs few blocks.
  explicit Arena(std::size_t first_block = 16 * 1024) : next_block_(first_block) {}
  Arena(const Arena&) = delete;
  Arena& operator=(const Arena&) = delete;
  ~Arena() { ReleaseAll(); }

  // size bytes aligned for any pointer; null when memory runs out.
  void* Take(std::size_t size);
  // A NUL-terminated copy of text; null when memory runs out.
  char* Copy(std::string_view text);
  template <typename T>
  T* TakeArray(std::size_t count) {
    return static_cast<T*>(Take(sizeof(T) * count));
  }
  void ReleaseAll();

 private:
  struct Block;
  Block* blocks_ = nullptr;
  char* cursor_ = nullptr;
  std::size_t left_ = 0;
  std::size_t next_block_;
};

}  // namespace kelnl::dir

#endif
