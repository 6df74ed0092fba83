#include "platform/nv/writer.h"

#include <cstring>

#include "platform/nv/tree_walk.h"

namespace kelnv {
namespace {

// "(" name "=" on entry and ")" on leaving; an atom adds its text between the two.
constexpr std::size_t kPunctuationBytes = 3;

class SizeCounter {
 public:
  bool Atom(const Binding& atom) {
    size_ += atom.name_length + atom.atom_length + kPunctuationBytes;
    return true;
  }
  bool Enter(const Binding& list) {
    size_ += list.name_length + kPunctuationBytes;
    return true;
  }
  bool Leave(const Binding&) { return true; }
  std::size_t size() const { return size_; }

 private:
  std::size_t size_ = 0;
};

class TextWriter {
 public:
  explicit TextWriter(char* out) : out_(out) {}

  bool Atom(const Binding& atom) {
    Head(atom);
    Put(atom.atom, atom.atom_length);
    *out_++ = ')';
    return true;
  }
  bool Enter(const Binding& list) {
    Head(list);
    return true;
  }
  bool Leave(const Binding&) {
    *out_++ = ')';
    return true;
  }

 private:
  void Head(const Binding& binding) {
    *out_++ = '(';
    Put(binding.name, binding.name_length);
    *out_++ = '=';
  }
  void Put(const char* text, std::size_t length) {
    std::memcpy(out_, text, length);
    out_ += length;
  }

  char* out_;
};

}  // namespace

std::size_t TextSize(const Binding& root) {
  SizeCounter counter;
  WalkTree(root, counter);
  return counter.size();
}

void WriteText(const Binding& root, char* out) {
  TextWriter writer(out);
  WalkTree(root, writer);
}

}  // namespace kelnv
