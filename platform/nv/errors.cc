#include "platform/nv/errors.h"

namespace kelnv {

const char* ResultMessage(std::int32_t code) {
  switch (code) {
    case kOk: return "no error";
    case NLNV_ERROR_ARGUMENT: return "a required argument is missing or out of range";
    case NLNV_ERROR_MEMORY: return "out of memory";
    case NLNV_ERROR_EMPTY: return "the text holds no binding";
    case NLNV_ERROR_OPEN: return "a binding must begin with '('";
    case NLNV_ERROR_NAME: return "a binding has an empty name";
    case NLNV_ERROR_EQUALS: return "a name must be followed by '='";
    case NLNV_ERROR_CLOSE: return "a binding or list is not closed by ')'";
    case NLNV_ERROR_QUOTE: return "a value ends inside quotes or on a lone backslash";
    case NLNV_ERROR_PAREN: return "a '(' inside a value must be quoted or escaped";
    case NLNV_ERROR_TRAILING: return "text follows the closing ')'";
    case NLNV_ERROR_NUL: return "the text holds a NUL character";
    case NLNV_ERROR_DEPTH: return "bindings nest too deep";
    case NLNV_ERROR_NOT_FOUND: return "no binding at that path";
    case NLNV_ERROR_NOT_LIST: return "the binding's value is not a list";
    case NLNV_ERROR_NOT_ATOM: return "the binding's value is not an atom";
    case NLNV_ERROR_PATH: return "the path is malformed or cannot be used here";
    case NLNV_ERROR_BUFFER: return "the buffer is too small";
    default: return "unknown error";
  }
}

std::int32_t Report(NlnvError* error, std::int32_t code, std::size_t offset) {
  if (error != nullptr) {
    error->code = code;
    error->offset = offset;
    error->message = ResultMessage(code);
  }
  return code;
}

}  // namespace kelnv
