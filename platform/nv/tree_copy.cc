#include "platform/nv/tree_copy.h"

#include "platform/nv/tree_walk.h"

namespace kelnv {
namespace {

// Adds up the chunk bytes a copy takes, so that the copy is one allocation.
class ByteCounter {
 public:
  explicit ByteCounter(std::string_view root_name) : root_name_(root_name) {}

  bool Atom(const Binding& source) {
    bytes_ += AtomItemBytes(NameFor(source), AtomOf(source));
    return true;
  }
  bool Enter(const Binding& source) {
    bytes_ += ListItemBytes(NameFor(source), source.child_count);
    return true;
  }
  bool Leave(const Binding&) { return true; }
  std::size_t bytes() const { return bytes_; }

 private:
  std::string_view NameFor(const Binding& source) {
    const bool root = first_;
    first_ = false;
    return root && !root_name_.empty() ? root_name_ : NameOf(source);
  }

  std::string_view root_name_;
  bool first_ = true;
  std::size_t bytes_ = 0;
};

// Builds the copy as the walk goes: every new node is attached to its list at once (the lists
// are made with room for all their sub-bindings), so a copy cut short by a failed allocation is
// still one well-formed tree that DestroyTree releases.
class TreeCopier {
 public:
  TreeCopier(Arena& arena, std::string_view root_name) : arena_(arena), root_name_(root_name) {}

  bool Atom(const Binding& source) {
    return Attach(MakeAtom(arena_, NameFor(source), AtomOf(source)));
  }

  bool Enter(const Binding& source) {
    Binding* list = MakeList(arena_, NameFor(source), source.child_count);
    if (!Attach(list)) return false;
    current_ = list;
    return true;
  }

  bool Leave(const Binding&) {
    current_ = current_->parent;
    return true;
  }

  Binding* root() const { return root_; }

 private:
  std::string_view NameFor(const Binding& source) const {
    return root_ == nullptr && !root_name_.empty() ? root_name_ : NameOf(source);
  }

  bool Attach(Binding* copy) {
    if (copy == nullptr) return false;
    if (root_ == nullptr) {
      root_ = copy;
    } else {
      current_->children[current_->child_count++] = copy;
      copy->parent = current_;
    }
    return true;
  }

  Arena& arena_;
  std::string_view root_name_;
  Binding* root_ = nullptr;
  Binding* current_ = nullptr;
};

class HeightMeter {
 public:
  bool Atom(const Binding&) {
    Reach(level_ + 1);
    return true;
  }
  bool Enter(const Binding&) {
    Reach(++level_);
    return true;
  }
  bool Leave(const Binding&) {
    --level_;
    return true;
  }
  int height() const { return height_; }

 private:
  void Reach(int level) {
    if (level > height_) height_ = level;
  }
  int level_ = 0;
  int height_ = 0;
};

}  // namespace

Binding* CopyTree(const Binding& source, std::string_view root_name) {
  ByteCounter counter(root_name);
  WalkTree(source, counter);
  Arena arena(counter.bytes(), counter.bytes());
  TreeCopier copier(arena, root_name);
  if (WalkTree(source, copier)) return copier.root();
  if (copier.root() != nullptr) DestroyTree(copier.root());
  return nullptr;
}

int TreeHeight(const Binding& root) {
  HeightMeter meter;
  WalkTree(root, meter);
  return meter.height();
}

}  // namespace kelnv
