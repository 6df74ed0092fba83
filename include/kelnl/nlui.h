/* Unique identifiers: 16 bytes from the platform's identifier service, their 35-character text
 * form, a hash and an equality test shaped for NlHashTable. Every operation is thread-safe. */
#ifndef KELNL_NLUI_H
#define KELNL_NLUI_H

#include "nlbase.h"
#include "nlstd.h"

KELNL_EXTERN_C_BEGIN

#define NLUI_ID_BYTES 16
/* Twelve hex digits, a hyphen, four, a hyphen, four, a hyphen, twelve (bytes grouped 6-2-2-6). */
#define NLUI_TEXT_LENGTH 35
#define NLUI_TEXT_BUFFER_SIZE 36 /* the text and its terminator */

/* Status codes of nluicrt and nluifs. */
#define NLUI_STATUS_OK 0u
#define NLUI_STATUS_NO_MEMORY 0xC0080035u
#define NLUI_STATUS_INVALID_ARGUMENT 0xC0080036u /* also: malformed text */
#define NLUI_STATUS_SERVICE_FAILURE 0xC0080037u  /* any other failure of the identifier service */

/* Fills id (16 bytes) with a new identifier. When the top three bits of byte 8 are all set, bit
 * 0x20 of it is cleared. context is not used and may be null. Result: a status code; id is
 * unchanged on failure; a null id gives NLUI_STATUS_INVALID_ARGUMENT. On Windows COM is
 * initialised on the calling thread for the call when it was not initialised yet. */
uint32_t nluicrt(NlGlobalContext *context, uint8_t *id);

/* Writes the text form of id in upper-case hex into text, which must hold 36 bytes, and
 * terminates it. Returns the characters written (35); 0 and nothing written when id or text is
 * null. */
int32_t nluits(const uint8_t *id, char *text);

/* Parses a terminated text form (hex digits in either case) into id. Result 0, or
 * NLUI_STATUS_INVALID_ARGUMENT when the text is not exactly 35 characters of sixteen two-digit
 * hex fields grouped 6-2-2-6, or text or id is null; id is then left unchanged. */
uint32_t nluifs(const char *text, uint8_t *id);

/* A 32-bit hash of the 16 bytes: h = 2h + id[i] + id[i + 8] for i = 6, 7, 0, 1, 2, 3, 4, 5. */
uint32_t nluihash(const uint8_t *id);

/* The same value as nluihash, taking its key as a hash table's hash function does: a table of
 * identifiers installs it through a cast to NlHashFunction (the key length is not read). */
uint32_t nluihkey(const void *id);

/* 1 when the 16 bytes of id1 and id2 are equal, else 0. length is ignored: the comparison is
 * always 16 bytes. Installed through a cast to NlKeyMatchFunction (the fourth argument is not
 * read). */
int32_t nluiheql(const void *id1, uint32_t length, const void *id2);

/* Writes an 8-byte short identifier into out: bytes 0-3 the process id, bytes 4-7 the core
 * clock (centiseconds, modulo 2^32), each most significant byte first. Unique within a host only
 * as far as one process asks at most once per centisecond. Reports no errors; a null out writes
 * nothing. Entry and exit are traced when context is non-null and its trace is on. */
void nlidg8(NlGlobalContext *context, uint8_t *out);

KELNL_EXTERN_C_END

#endif
