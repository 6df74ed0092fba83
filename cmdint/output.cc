// The interpreter's printing: everything goes to the context's log stream through nlfifpf, and
// every fixed text is a message of the library's facility.
#include <cstring>

#include "cmdint/interpreter.h"
#include "errors/message_facility_internal.h"
#include "kelnl/nlem.h"
#include "kelnl/nler.h"
#include "kelnl/nlfi.h"
#include "platform/nls/nls.h"

namespace kelnl::cmdint {
namespace {

constexpr std::size_t kMessageBytes = 512;

}  // namespace

void Print(NlGlobalContext* context, const char* text) {
  NlPrimaryErrorRecord errors{};
  (void)nlfifpf(context, &errors, context->log_stream, "%s", text);
}

void PrintColumn(NlGlobalContext* context, const char* name, bool marked, std::size_t width) {
  NlPrimaryErrorRecord errors{};
  const std::size_t length = std::strlen(name) + (marked ? 1 : 0);
  const int pad = length < width ? static_cast<int>(width - length) : 0;
  (void)nlfifpf(context, &errors, context->log_stream, "%s%s%*s", name, marked ? "*" : "", pad, "");
}

void Flush(NlGlobalContext* context) {
  NlPrimaryErrorRecord errors{};
  (void)nlfifl(context, &errors, context->log_stream);
}

bool FindMessage(NlGlobalContext* context, std::int32_t emfi, std::uint32_t number, char* buffer, std::size_t size) {
  buffer[0] = '\0';
  NlMessageFacility* facility = context->message_facility;
  NlEmfi* record = facility != nullptr ? nlemfsearch(facility, emfi) : nullptr;
  if (record == nullptr || nlemomf(facility, record) != 0) return false;
  {
    // The fallback text that names a missing message is not a text to show.
    messages::RecordLock lock(facility, record);
    if (!nls::HasMessage(&record->message_file, number)) return false;
  }
  NlPrimaryErrorRecord errors{};
  return nlemgmz(&errors, facility, emfi, number, 0, 0, 0, 0, buffer, size, nullptr) == 0;
}

void PrintMessage(NlGlobalContext* context, std::uint32_t number, const char* argument) {
  char text[kMessageBytes];
  (void)FindMessage(context, kLibraryFacility, number, text, sizeof text);
  // Substituted by the library's own argument rules, so a stray conversion in a message file
  // cannot read arguments that are not there.
  char formatted[kMessageBytes];
  const char* arguments[1] = {argument};
  const std::size_t lengths[1] = {argument != nullptr ? std::strlen(argument) : 0};
  nlersprintf(formatted, sizeof formatted, text, argument != nullptr ? 1 : 0, arguments, lengths);
  Print(context, formatted);
}

std::int32_t Refuse(NlGlobalContext* context, std::int32_t code) {
  nlerrec(context->error_stack, kLibraryFacility, code, 0);
  return code;
}

std::int32_t Refuse(NlGlobalContext* context, std::int32_t code, const char* text) {
  nlerrec(context->error_stack, kLibraryFacility, code, 1, NL_ERROR_ARG_TEXT, static_cast<int32_t>(std::strlen(text)),
          text);
  return code;
}

std::int32_t RefuseWithTexts(NlGlobalContext* context, std::int32_t code, const char* first, const char* second,
                             const char* third) {
  nlerrec(context->error_stack, kLibraryFacility, code, 3, NL_ERROR_ARG_TEXT, static_cast<int32_t>(std::strlen(first)),
          first, NL_ERROR_ARG_TEXT, static_cast<int32_t>(std::strlen(second)), second, NL_ERROR_ARG_TEXT,
          static_cast<int32_t>(std::strlen(third)), third);
  return code;
}

}  // namespace kelnl::cmdint
