// Languages of the national-language library. Message files exist for the default language
// only, so that is the one language defined; the tables are kept so that a file name is always
// derived from a language's code rather than from a literal.
#include <atomic>
#include <cstring>
#include <new>

#include "platform/nls/language.h"
#include "platform/nls/nls.h"

namespace kelnl::nls {
namespace {

constexpr LanguageDefinition kLanguages[] = {
    {kLxDefaultLanguage, "us", "English"},
};

// Marks a context that lxinitc prepared, so a zero-filled one is never taken for a language.
constexpr std::uint32_t kPreparedMark = 0x4C584331;  // "LXC1"

struct ContextBody {
  std::uint32_t mark;
  const LanguageDefinition* language;
};
static_assert(sizeof(ContextBody) <= sizeof(NlLanguageContext), "language context too small");

struct WorkBody {
  const LanguageDefinition* language;
};
static_assert(sizeof(WorkBody) <= sizeof(NlLanguageWorkArea), "language work area too small");

std::atomic<bool> g_fail_language_lookup{false};

const LanguageDefinition* FindLanguage(std::uint32_t id) {
  for (const LanguageDefinition& language : kLanguages) {
    if (language.id == id) return &language;
  }
  return nullptr;
}

const ContextBody* PreparedContext(const NlLanguageContext* context) {
  if (context == nullptr) return nullptr;
  const auto* body = reinterpret_cast<const ContextBody*>(context->opaque);
  return body->mark == kPreparedMark ? body : nullptr;
}

}  // namespace

const LanguageDefinition* LanguageOf(const void* handle, const NlLanguageContext* context) {
  if (handle != nullptr) return static_cast<const WorkBody*>(handle)->language;
  const ContextBody* body = PreparedContext(context);
  return body != nullptr ? body->language : nullptr;
}

namespace language_hook {
void FailLanguageLookup(bool fail) { g_fail_language_lookup.store(fail); }
}  // namespace language_hook

}  // namespace kelnl::nls

using kelnl::nls::ContextBody;
using kelnl::nls::WorkBody;

extern "C" std::uint32_t lxlinit(std::int32_t mode, std::int32_t, std::int32_t* status) {
  const std::uint32_t id = mode == 0 ? kLxDefaultLanguage : static_cast<std::uint32_t>(mode);
  const bool known = kelnl::nls::FindLanguage(id) != nullptr;
  if (status != nullptr) *status = known ? 0 : 1;
  return known ? id : 0;
}

extern "C" NlLanguageContext* lxinitc(NlLanguageContext* context, std::uint32_t language_id,
                                      std::int32_t, std::int32_t) {
  if (context == nullptr) return nullptr;
  std::memset(context, 0, sizeof *context);
  const kelnl::nls::LanguageDefinition* language = kelnl::nls::FindLanguage(language_id);
  if (language == nullptr) return nullptr;
  new (context->opaque) ContextBody{kelnl::nls::kPreparedMark, language};
  return context;
}

extern "C" void* lxhcurrlangid(NlLanguageWorkArea* work, NlLanguageContext* context) {
  if (work == nullptr || kelnl::nls::g_fail_language_lookup.load()) return nullptr;
  const ContextBody* body = kelnl::nls::PreparedContext(context);
  if (body == nullptr) return nullptr;
  return new (work->opaque) WorkBody{body->language};
}
