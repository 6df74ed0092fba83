#include "tools/session.h"

#include <cstdio>

#include "tools/commands.h"

namespace kelnl::tool {

Session::Session() {
  nlstdini(&context_);
  if (context_ == nullptr || !messages_.ready()) return;
  NlPrimaryErrorRecord errors{};
  if (nlemfireg(&errors, messages_.facility(), kToolFacility, kToolProduct, sizeof kToolProduct - 1,
                kToolFacilityName, sizeof kToolFacilityName - 1) != 0 ||
      nldsinit(&errors, &context_->log_stream, nullptr, NLDS_KIND_STANDARD_OUTPUT, 0, nullptr) != 0 ||
      nldsinit(&errors, &error_stream_, nullptr, NLDS_KIND_STANDARD_ERROR, 0, nullptr) != 0 ||
      nlerinit(&errors, &context_->error_stack, messages_.facility(), context_->log_stream) != 0) {
    std::fputs("kelnl: cannot start the command interpreter (out of memory)\n", stderr);
    return;
  }
  context_->message_facility = messages_.facility();
  ready_ = true;
}

Session::~Session() {
  if (context_ == nullptr) return;
  NlPrimaryErrorRecord errors{};
  if (context_->error_stack != nullptr) nlerdestroy(&errors, &context_->error_stack);
  if (context_->log_stream != nullptr) nldsdestroy(&errors, &context_->log_stream);
  if (error_stream_ != nullptr) nldsdestroy(&errors, &error_stream_);
  // The facility belongs to messages_, which outlives the context's use of it.
  context_->message_facility = nullptr;
  nlstdtrm(&context_);
}

std::string Session::LibraryText(std::uint32_t number, const std::string& argument) const {
  const std::string text = messages_.Text(1, number, false);
  const char* arguments[1] = {argument.c_str()};
  const std::size_t lengths[1] = {argument.size()};
  char formatted[512];
  const std::size_t length = nlersprintf(formatted, sizeof formatted, text.c_str(), 1, arguments, lengths);
  return std::string(formatted, length);
}

std::string Session::HelpText(std::uint32_t number) const {
  return messages_.Known(kToolFacility, number) ? messages_.Text(kToolFacility, number, false) : "";
}

void Session::ReportErrors(bool to_standard_error) {
  NlErrorStack* stack = context_->error_stack;
  nlerpestk(stack, to_standard_error ? error_stream_ : context_->log_stream);
  stack->depth = 0;
  stack->text_used = 0;
  stack->entries[0].facility = 0;
  stack->entries[0].error = 0;
}

}  // namespace kelnl::tool
