#include "platform/nv/edit.h"

#include "platform/nv/errors.h"
#include "platform/nv/path.h"
#include "platform/nv/tree_copy.h"

namespace kelnv {

// The depth check keeps every tree within kMaxDepth, so that whatever is built can also be
// written out and parsed back, and the tree walks stay bounded.
std::int32_t InsertCopy(const Binding& item, Binding* list) {
  if (!IsList(*list)) return NLNV_ERROR_NOT_LIST;
  if (DepthInTree(*list) + TreeHeight(item) > kMaxDepth) return NLNV_ERROR_DEPTH;
  // Copy first: item may be list itself or one of its ancestors, and must be copied as it was.
  Binding* copy = CopyTree(item);
  if (copy == nullptr) return NLNV_ERROR_MEMORY;
  if (!AppendChild(list, copy)) {
    DestroyTree(copy);
    return NLNV_ERROR_MEMORY;
  }
  return kOk;
}

std::int32_t RemoveAtPath(Binding* binding, std::string_view path) {
  Binding* found = nullptr;
  int names = 0;
  const std::int32_t status = ResolvePath(*binding, path, &found, &names);
  if (status == NLNV_ERROR_PATH) return status;
  // A one-name path names the binding itself, which cannot be removed from inside it.
  if (names < 2) return NLNV_ERROR_PATH;
  if (status == NLNV_ERROR_NOT_FOUND) return kOk;
  DestroyBinding(found);
  return kOk;
}

}  // namespace kelnv
