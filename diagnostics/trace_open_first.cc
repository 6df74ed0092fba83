#include "diagnostics/trace_open_first.h"

#include "diagnostics/output_names.h"
#include "diagnostics/trace_config.h"
#include "files/admin_file.h"
#include "kelnl/nlba.h"
#include "kelnl/nldt.h"
#include "kelnl/nltrmsg.h"

namespace kelnl::diagnostics {
namespace {

constexpr std::uint32_t kPathBufferSize = 256;
constexpr std::uint32_t kRecordLevel = 4;
constexpr int kEventStartup = 10;
constexpr int kEventGeneral = 1;

// The words of NlStartupParameters.banner, in their order.
enum BannerWord { kProduct, kProductLength, kVersion, kStatus, kYear, kYearLength };

void WriteBanner(NlGlobalContext* context, const NlStartupParameters& parameters, NlDiagStream* stream) {
  const uintptr_t* words = parameters.banner;
  // Banner failures are the stream's, and the trace goes on without its banner.
  (void)nlban2(context, nullptr, stream, reinterpret_cast<const char*>(words[kProduct]), words[kProductLength],
               static_cast<std::uint32_t>(words[kVersion]), static_cast<std::uint32_t>(words[kStatus]),
               reinterpret_cast<const char*>(words[kYear]), words[kYearLength]);
}

}  // namespace

std::int32_t StartExternalTrace(NlGlobalContext* context, const NlStartupParameters& parameters,
                                const char* trace_name) {
  const NlFileNameDesc configuration = kelnl::files::AdminFile("brisol", "fdf", false);
  char path[kPathBufferSize + 1];
  std::uint32_t length = 0;
  if (nlfncons(nullptr, &configuration, path, kPathBufferSize, &length) != 0) return 0;
  path[length] = '\0';
  NlTraceContext* trace = context->trace;
  return nldtotinit(trace, parameters.startup_name, trace->level, trace_name, path);
}

void WriteFirstRecords(NlGlobalContext* context, const NlStartupParameters& parameters) {
  NlTraceContext* trace = context->trace;
  if (trace == nullptr || trace->level == 0) return;
  NlDiagStream* stream = trace->stream;
  if ((parameters.flags & NLSTD_WRITE_BANNER) != 0 && stream != nullptr) WriteBanner(context, parameters, stream);
  if (!TraceIsOn(trace)) return;
  char name[NLSTD_NAME_CAPACITY];
  (void)StreamDisplayName(trace->stream, name);
  NlPrimaryErrorRecord scratch{};
  const auto record = [&](std::uint32_t line, std::uint32_t message, const char* format, auto... arguments) {
    (void)nldtotrc(&scratch, trace, 0, NLTR_COMPONENT_TRACE_OPEN, line, kRecordLevel, kEventStartup, kEventGeneral,
                   0, message, format, arguments...);
  };
  record(__LINE__, NLTR_TRACE_STARTED, "");
  record(__LINE__, NLTR_TRACE_FILE, "%s", name);
  record(__LINE__, NLTR_TRACE_LEVEL, "%d", static_cast<int>(trace->level));
  record(__LINE__, NLTR_TRACE_CONFIGURED, "");
  if (trace->stream != nullptr && (trace->stream->state & NLDS_STATE_OPEN) != 0) (void)nldsflush(nullptr, trace->stream);
}

}  // namespace kelnl::diagnostics
