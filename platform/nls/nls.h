// The national-language library: languages and message files. It lives inside kelnl and stays
// hidden; the message facility is its only user.
//
// Message files are text files <home>/<product>/mesg/<facility><language>.msg (names in lower
// case), one message a line:  NNNNN, 00000, "text"  with // comment lines. <home> is TARVO_HOME
// when it is set; otherwise the data directory the library was installed with, and, for a build
// that was not installed, the build tree's copy.
#ifndef KELNL_PLATFORM_NLS_NLS_H
#define KELNL_PLATFORM_NLS_NLS_H

#include <cstddef>
#include <cstdint>

#include "kelnl/nlem.h"

// Status words of a message file (NlMessageFileContext::status).
inline constexpr std::int32_t kLmsOpen = 0;
inline constexpr std::int32_t kLmsClosed = 1;          // never opened, or closed again
inline constexpr std::int32_t kLmsNoMessageFile = 2;   // missing, unreadable or too large
inline constexpr std::int32_t kLmsNoMemory = 3;

// The default language, the only one whose message files exist.
inline constexpr std::uint32_t kLxDefaultLanguage = 1;

extern "C" {

// Languages. lxlinit gives the id of the default language for mode 0 and checks a language id
// given as mode otherwise (0 when unknown; *status, when given, is 0 or 1). flags is accepted
// for callers that ask for a language usable with message files, which every language here is.
std::uint32_t lxlinit(std::int32_t mode, std::int32_t flags, std::int32_t* status);
// Prepares a language context for the id; null when the id is unknown.
NlLanguageContext* lxinitc(NlLanguageContext* context, std::uint32_t language_id, std::int32_t,
                           std::int32_t);
// The handle of the context's language, kept in the work area; null when the context was not
// prepared.
void* lxhcurrlangid(NlLanguageWorkArea* work, NlLanguageContext* context);

// Message files. lmsaip opens the message file of product and facility in the handle's language
// (the context's when the handle is null): the status word becomes one of the values above, and
// *proposed_cache_size the number of cache bytes worth giving the file (0 when it is not open).
// The file is indexed when opened, so a lookup costs O(log n); texts are read on demand.
void lmsaip(NlMessageFileContext* file, const char* product, const char* facility,
            std::int32_t reserved, void* language_handle, NlLanguageContext* context,
            std::size_t* proposed_cache_size);
// Prepares size bytes of caller storage as an empty cache (mode 1; other modes leave the
// buffer unprepared, and an unprepared buffer is never bound).
void lmsacin(void* buffer, std::size_t size, std::int32_t mode);
// Lets an open file keep recently read texts in a prepared cache; the caller keeps owning the
// buffer and must not release it before lmsatrm.
void lmsacbn(NlMessageFileContext* file, void* buffer, std::int32_t reserved);
// Copies the text of message `number` into destination (at most room - 1 characters and a
// terminator) and returns its length. A file that is not open, or a number without text, gives
// a fallback text naming the number, the product and the facility.
std::size_t lmsagbf(NlMessageFileContext* file, std::uint32_t number, char* destination,
                    std::size_t room);
// Closes the file and forgets its index and cache. The status becomes kLmsClosed.
void lmsatrm(NlMessageFileContext* file);

}  // extern "C"

namespace kelnl::nls {

// True when the open file has a text for the number (the fallback does not count).
bool HasMessage(const NlMessageFileContext* file, std::uint32_t number);

// Fault injection for tests: while set, lxhcurrlangid finds no language.
namespace language_hook {
void FailLanguageLookup(bool fail);
}  // namespace language_hook

}  // namespace kelnl::nls

#endif
