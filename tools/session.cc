#include "tools/session.h"

#include <cstdio>
#include <cstring>

#include "kelnl/version.h"
#include "tools/commands.h"

namespace kelnl::tool {
namespace {

Session* g_current = nullptr;

constexpr char kProduct[] = "kelnl";
constexpr char kYear[] = "2026";
constexpr std::uint32_t kVersionWord =
    (std::uint32_t{KELNL_VERSION_MAJOR} << 24) | (std::uint32_t{KELNL_VERSION_MINOR} << 20) |
    (std::uint32_t{KELNL_VERSION_PATCH} << 12);

// The program reads the client settings of the configuration; its sources never stop it, so
// that a broken file can still be checked with it.
constexpr std::uint32_t kStartupFlags = NLSTD_READ_SYSTEM_FILE | NLSTD_READ_LOCAL_FILE | NLSTD_READ_COMMAND_LINE |
                                        NLSTD_OPEN_TRACE | NLSTD_SOURCE_ERRORS_FORGIVEN |
                                        NLSTD_MESSAGE_ERRORS_FORGIVEN | NLSTD_TRACE_ERRORS_FORGIVEN;
constexpr std::uint32_t kLogFlags = NLSTD_OPEN_LOG | NLSTD_WRITE_BANNER;

void SetText(const char** text, std::uint32_t* length, const char* value) {
  *text = value;
  *length = static_cast<std::uint32_t>(std::strlen(value));
}

void FillBlock(NlStartupParameters* block) {
  block->trace_file_parameter = "trace_file_client";
  block->trace_directory_parameter = "trace_directory_client";
  block->trace_unique_parameter = "trace_unique_client";
  block->trace_level_parameter = "trace_level_client";
  block->trace_events_parameter = "trace_mask_client";
  block->trace_filters_parameter = "trace_functions_client";
  block->trace_file_count_parameter = "trace_fileno_client";
  block->trace_time_stamp_parameter = "trace_timestamp_client";
  block->trace_file_length_parameter = "trace_filelen_client";
  block->log_file_parameter = "log_file_client";
  block->log_directory_parameter = "log_directory_client";
  block->log_unique_parameter = "log_unique_client";
  block->log_switch_parameter = "logging_client";
  SetText(&block->local_file.base_name, &block->local_file.base_name_length, "kelnl");
  SetText(&block->local_file.extension, &block->local_file.extension_length, "kel");
  SetText(&block->trace_file.base_name, &block->trace_file.base_name_length, "kelnl");
  SetText(&block->trace_file.extension, &block->trace_file.extension_length, "trc");
  SetText(&block->log_file.base_name, &block->log_file.base_name_length, "kelnl");
  SetText(&block->log_file.extension, &block->log_file.extension_length, "log");
  std::memcpy(block->startup_name, "kelnl      ", NLSTD_STARTUP_NAME_LENGTH);
  block->banner[0] = reinterpret_cast<std::uintptr_t>(kProduct);
  block->banner[1] = sizeof kProduct - 1;
  block->banner[2] = kVersionWord;
  block->banner[3] = NL_STATUS_PRODUCTION;
  block->banner[4] = reinterpret_cast<std::uintptr_t>(kYear);
  block->banner[5] = sizeof kYear - 1;
}

}  // namespace

Session* CurrentSession() { return g_current; }

bool ParameterStatement(const std::string& option, std::string* statement) {
  const std::size_t equals = option.find('=');
  if (equals == std::string::npos || option.find_first_not_of(" \t") >= equals) return false;
  *statement = option.substr(0, equals) + " = " + option.substr(equals + 1) + "\n";
  return true;
}

Session::Session(const std::vector<std::string>& parameters) {
  if (!messages_.ready()) return;
  for (const std::string& parameter : parameters) command_line_ += parameter;
  command_line_count_ = parameters.size();
  FillBlock(&block_);

  std::string error_text;
  // A first look at the configuration decides on the log: it is opened only where the
  // configuration names one, so that a run elsewhere leaves no file behind. The trace waits for
  // the real start, which would otherwise begin a second ring of files.
  std::int32_t result = Start(kStartupFlags & ~NLSTD_OPEN_TRACE, &error_text);
  if (result == 0) {
    const bool with_log = LogConfigured();
    nlstdtrm(&context_);
    result = Start(with_log ? kStartupFlags | kLogFlags : kStartupFlags, &error_text);
    if (result != 0 && with_log) {
      // Every command would repeat the complaint; kelnl status shows it instead.
      log_failure_ = error_text.substr(0, error_text.find('\n'));
      result = Start(kStartupFlags, &error_text);
    }
  }
  if (result != 0) {
    std::fprintf(stderr, "kelnl: cannot start the library:\n%s\n", error_text.c_str());
    return;
  }
  NlPrimaryErrorRecord errors{};
  NlMessageFacility* facility = context_->message_facility;
  log_ = context_->log_stream;
  context_->log_stream = nullptr;
  // The interpreter reads the commands' help through the context's facility, the session
  // through its own.
  if (nlemfireg(&errors, facility, kToolFacility, kToolProduct, sizeof kToolProduct - 1, kToolFacilityName,
                sizeof kToolFacilityName - 1) != 0 ||
      nlemfireg(&errors, messages_.facility(), kToolFacility, kToolProduct, sizeof kToolProduct - 1,
                kToolFacilityName, sizeof kToolFacilityName - 1) != 0 ||
      nldsinit(&errors, &context_->log_stream, nullptr, NLDS_KIND_STANDARD_OUTPUT, 0, nullptr) != 0 ||
      nldsinit(&errors, &error_stream_, nullptr, NLDS_KIND_STANDARD_ERROR, 0, nullptr) != 0) {
    std::fputs("kelnl: cannot start the command interpreter (out of memory)\n", stderr);
    return;
  }
  g_current = this;
  ready_ = true;
}

std::int32_t Session::Start(std::uint32_t flags, std::string* error_text) {
  block_.flags = flags;
  block_.cmdline_text = command_line_.empty() ? nullptr : command_line_.data();
  block_.cmdline_length = static_cast<std::uint32_t>(command_line_.size());
  char text[2048] = {};
  std::size_t length = 0;
  const std::int32_t result = nlstdgg(&context_, &block_, text, sizeof text, &length);
  error_text->assign(text, length);
  return result;
}

bool Session::LogConfigured() const {
  char* value = nullptr;
  std::uint32_t length = 0;
  for (const char* name : {block_.log_file_parameter, block_.log_directory_parameter}) {
    if (nlpagsp(nullptr, context_->parameters, name, static_cast<std::uint32_t>(std::strlen(name)), 0, &value,
                &length) == 0) {
      return true;
    }
  }
  return false;
}

Session::~Session() {
  if (g_current == this) g_current = nullptr;
  nlpatrm(nullptr, &pending_);
  if (context_ == nullptr) return;
  NlPrimaryErrorRecord errors{};
  if (error_stream_ != nullptr) nldsdestroy(&errors, &error_stream_);
  // The log goes back into the context, whose teardown releases it with the rest.
  if (context_->log_stream != nullptr) nldsdestroy(&errors, &context_->log_stream);
  context_->log_stream = log_;
  log_ = nullptr;
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

std::int32_t Session::SetParameter(const std::string& name, const std::string& value) {
  NlPrimaryErrorRecord errors{};
  if (pending_ == nullptr) {
    const std::int32_t created = nlpains(&errors, &pending_, NLPA_CREATE_ONLY, nullptr, nullptr, 0, nullptr,
                                         nullptr, 0, nullptr);
    if (created != 0) return created;
  }
  const auto name_length = static_cast<std::uint32_t>(name.size());
  const auto value_length = static_cast<std::uint32_t>(value.size());
  std::int32_t result = nlpassp(&errors, pending_, 1, name.data(), name_length, value.data(), value_length);
  if (result == 0) result = nlpassp(&errors, context_->parameters, 1, name.data(), name_length, value.data(), value_length);
  if (result == 0) ++pending_count_;
  return result;
}

std::int32_t Session::SaveChanges() {
  NlFileNameDesc backup = block_.local_file;
  backup.extension = "bak";
  backup.extension_length = 3;
  static constexpr char kAuthor[] = "kelnl";
  const std::int32_t result = nlspfile(context_, pending_, &block_.local_file, &backup, kAuthor, sizeof kAuthor - 1);
  if (result == NLSP_OK) {
    nlpatrm(nullptr, &pending_);
    pending_count_ = 0;
  }
  return result;
}

void Session::ReportErrors(bool to_standard_error) {
  NlErrorStack* stack = context_->error_stack;
  if (log_ != nullptr) nlerpestk(stack, log_);
  nlerpestk(stack, to_standard_error ? error_stream_ : context_->log_stream);
  stack->depth = 0;
  stack->text_used = 0;
  stack->entries[0].facility = 0;
  stack->entries[0].error = 0;
}

}  // namespace kelnl::tool
