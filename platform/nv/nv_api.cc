// The exported operations: they check arguments, convert and call; the work is done elsewhere.
#include <cstring>

#include "kelnl/nlnv.h"
#include "platform/nv/binding.h"
#include "platform/nv/edit.h"
#include "platform/nv/errors.h"
#include "platform/nv/parser.h"
#include "platform/nv/path.h"
#include "platform/nv/tables.h"
#include "platform/nv/tree_copy.h"
#include "platform/nv/writer.h"

using kelnv::Binding;
using kelnv::kOk;
using kelnv::Report;

extern "C" {

int32_t nlnvcrb(const char *text, size_t length, NlnvBinding **binding, NlnvError *error) {
  if (binding != nullptr) *binding = nullptr;
  if (binding == nullptr || (text == nullptr && length != 0)) {
    return Report(error, NLNV_ERROR_ARGUMENT);
  }
  std::size_t offset = 0;
  const std::int32_t status = kelnv::ParseText({text, length}, binding, &offset);
  return Report(error, status, offset);
}

int32_t nlnvdeb(NlnvBinding *binding) {
  if (binding != nullptr) kelnv::DestroyBinding(binding);
  return kOk;
}

int32_t nlnvcpb(const NlnvBinding *binding, NlnvBinding **copy) {
  if (copy == nullptr) return NLNV_ERROR_ARGUMENT;
  *copy = nullptr;
  if (binding == nullptr) return kOk;
  *copy = kelnv::CopyTree(*binding);
  return *copy == nullptr ? NLNV_ERROR_MEMORY : kOk;
}

int32_t nlnvgtn(const NlnvBinding *binding, const char **name, size_t *name_length) {
  if (binding == nullptr || name == nullptr || name_length == nullptr) return NLNV_ERROR_ARGUMENT;
  *name = binding->name;
  *name_length = binding->name_length;
  return kOk;
}

int32_t nlnvisa(const NlnvBinding *binding) {
  return binding != nullptr && kelnv::IsList(*binding) ? 1 : 0;
}

int32_t nlnvnnv(const NlnvBinding *binding, uint32_t *count) {
  if (binding == nullptr || count == nullptr) return NLNV_ERROR_ARGUMENT;
  *count = binding->child_count;
  return kelnv::IsList(*binding) ? kOk : NLNV_ERROR_NOT_LIST;
}

int32_t nlnvgin(NlnvBinding *binding, uint32_t index, NlnvBinding **sub_binding) {
  if (sub_binding != nullptr) *sub_binding = nullptr;
  if (binding == nullptr || sub_binding == nullptr) return NLNV_ERROR_ARGUMENT;
  if (!kelnv::IsList(*binding)) return NLNV_ERROR_NOT_LIST;
  if (index == 0 || index > binding->child_count) return NLNV_ERROR_ARGUMENT;
  *sub_binding = binding->children[index - 1];
  return kOk;
}

int32_t nlnvgap(const NlnvBinding *binding, const char *path, size_t path_length,
                const char **text, size_t *text_length, NlnvError *error) {
  if (binding == nullptr || path == nullptr || text == nullptr || text_length == nullptr) {
    return Report(error, NLNV_ERROR_ARGUMENT);
  }
  *text = nullptr;
  *text_length = 0;
  Binding *found = nullptr;
  const std::int32_t status = kelnv::ResolvePath(*binding, {path, path_length}, &found);
  if (status != kOk) return Report(error, status);
  if (kelnv::IsList(*found)) return Report(error, NLNV_ERROR_NOT_ATOM);
  *text = found->atom;
  *text_length = found->atom_length;
  return Report(error, kOk);
}

int32_t nlnvfbp(NlnvBinding *binding, const char *path, size_t path_length, NlnvBinding **found,
                NlnvError *error) {
  if (found != nullptr) *found = nullptr;
  if (binding == nullptr || path == nullptr || found == nullptr) {
    return Report(error, NLNV_ERROR_ARGUMENT);
  }
  return Report(error, kelnv::ResolvePath(*binding, {path, path_length}, found));
}

int32_t nlnvgta(const NlnvBinding *binding, const char **text, size_t *text_length) {
  if (binding == nullptr || text == nullptr || text_length == nullptr) return NLNV_ERROR_ARGUMENT;
  *text = nullptr;
  *text_length = 0;
  if (kelnv::IsList(*binding)) return NLNV_ERROR_NOT_ATOM;
  *text = binding->atom;
  *text_length = binding->atom_length;
  return kOk;
}

int32_t nlnvibb(const NlnvBinding *item, NlnvBinding *list) {
  if (item == nullptr || list == nullptr) return NLNV_ERROR_ARGUMENT;
  return kelnv::InsertCopy(*item, list);
}

int32_t nlnvdbp(NlnvBinding *binding, const char *path, size_t path_length, NlnvError *error) {
  if (binding == nullptr || path == nullptr) return Report(error, NLNV_ERROR_ARGUMENT);
  return Report(error, kelnv::RemoveAtPath(binding, {path, path_length}));
}

int32_t nlnvszs(const NlnvBinding *binding, size_t *size) {
  if (binding == nullptr || size == nullptr) return NLNV_ERROR_ARGUMENT;
  *size = kelnv::TextSize(*binding);
  return kOk;
}

int32_t nlnvcrs(const NlnvBinding *binding, char *buffer, size_t size, size_t *length) {
  if (binding == nullptr || length == nullptr || (buffer == nullptr && size != 0)) {
    return NLNV_ERROR_ARGUMENT;
  }
  const std::size_t needed = kelnv::TextSize(*binding);
  *length = needed;
  if (size <= needed) {
    if (size != 0) buffer[0] = '\0';
    return NLNV_ERROR_BUFFER;
  }
  kelnv::WriteText(*binding, buffer);
  buffer[needed] = '\0';
  return kOk;
}

int32_t nlnvcbp(const char *const *table, const char *name, size_t name_length,
                NlnvBinding **binding) {
  if (table == nullptr || name == nullptr || binding == nullptr || *binding == nullptr) {
    return NLNV_ERROR_ARGUMENT;
  }
  // The new name must survive a round trip through the text form.
  if (!kelnv::IsValidName({name, name_length})) return NLNV_ERROR_ARGUMENT;
  return kelnv::ConvertByTable(table, {name, name_length}, binding);
}

int32_t nlnvlet(const NlnvBinding *binding, const char *const *table, const char **texts,
                size_t *lengths) {
  if (binding == nullptr || table == nullptr || texts == nullptr || lengths == nullptr) {
    return NLNV_ERROR_ARGUMENT;
  }
  if (!kelnv::IsList(*binding)) return NLNV_ERROR_NOT_LIST;
  kelnv::LookupRows(*binding, table, texts, lengths);
  return kOk;
}

}  // extern "C"
