/* Small operating-system services: host and service lookups, process and thread ids, sleeping,
 * the user name and the password prompt. All are callable from any thread. */
#ifndef KELNL_SNLPC_H
#define KELNL_SNLPC_H

#include "nlbase.h"
#include "nlep.h"
#include "nlstd.h"

KELNL_EXTERN_C_BEGIN

/* A copy of the platform's host entry. The pointers point into the calling thread's lookup
 * storage and stay valid only until the same thread's next lookup. */
typedef struct NlHostRecord {
  char *name;
  char **aliases;
  int16_t address_type;   /* together with address_length, one word */
  int16_t address_length;
  char **addresses;
} NlHostRecord;

/* A copy of the platform's service entry; the same lifetime rule. */
typedef struct NlServiceRecord {
  char *name;
  char **aliases;
  int32_t port; /* network byte order in the low half */
  char *protocol;
} NlServiceRecord;

/* Password prompt results, also stored in the error record's first word. */
#define NL_PROMPT_TOO_LONG 104
#define NL_PROMPT_NOT_A_TERMINAL 102
#define NL_PROMPT_PASSWORD_TOO_LONG 109

/* The local host name into name (size length): 0, or -1 when name is null, length is 0 or the
 * lookup fails. */
int32_t snlgfqh(char *name, uint32_t length);

/* Host lookups: the platform's host entry (opaque) with *out filled, or null with *errout set to
 * the platform's lookup error. err, a and b are not used. */
void *snlpcgthstbynm(NlOsErrorRecord *err, const char *host, NlHostRecord *out, void *a, void *b,
                     int32_t *errout);
void *snlpcgthstbyad(NlOsErrorRecord *err, const char *address, int32_t length, int32_t type,
                     NlHostRecord *out, void *a, void *b, int32_t *errout);
/* Service lookups: the platform's service entry (opaque) with *out filled, or null. port is in
 * network byte order. */
void *snlpcgtsrvbynm(NlOsErrorRecord *err, const char *service, const char *protocol, NlServiceRecord *out);
void *snlpcgtsrvbypt(NlOsErrorRecord *err, int32_t port, const char *protocol, NlServiceRecord *out);
/* There is no enumeration to end: both do nothing and return 0. */
int32_t snlpcgthstent(void);
int32_t snlpcgtsrvent(void);

/* Current process and thread ids; return 0. */
int32_t snlpcgpid(NlOsErrorRecord *err, uint32_t *out);
int32_t snlpcgtid(NlOsErrorRecord *err, uint32_t *out);

/* Sleeps (usecs + 500) / 1000 milliseconds; 0 only yields. *slept (optional) receives the
 * milliseconds times 1000. Returns 0. */
int32_t snlpcsu_sleep_usecs(NlOsErrorRecord *err, uint32_t usecs, uint32_t *slept);

/* The login name of the process owner into buffer; *length is the buffer size on entry and the
 * name's length on return (negative on failure); returns that length. */
int32_t snlpcgun(NlOsErrorRecord *err, void *a, void *b, char *buffer, int32_t *length);

/* Prints the prompt and reads a password without echo until Enter. Returns 0 with the length in
 * *count, or NL_PROMPT_TOO_LONG (prompt over 50 characters), NL_PROMPT_NOT_A_TERMINAL (need_tty
 * set and standard input not a terminal), NL_PROMPT_PASSWORD_TOO_LONG (31 characters or more). */
int32_t snlpspr_prompt_pw(NlOsErrorRecord *err, const char *prompt, uint32_t prompt_length, char *buffer,
                          uint32_t size, uint32_t *count, int32_t need_tty);

/* Encodes a password with the library's fixed key, as upper-case hexadecimal text in out;
 * *out_length is the size of out on entry and the text's length on return. Obfuscation for
 * stored passwords, not security. Returns 0, or pushes onto the context's error stack and
 * returns 966 (no output buffer or an empty password) or 968 (the encoding failed, for example
 * out is too small: a password of n characters needs 32 * ((n + 16) / 16) + 1 bytes). */
int32_t nlpspen(NlGlobalContext *context, const char *password, char *out, uint32_t *out_length);

/* The path of one of the product's shared libraries: the directory "bin" under TARVO_HOME (not
 * with flag bit 0, or when TARVO_HOME is not set), then "kel", short_name, "8" and the platform's
 * library suffix (".dll" on Windows, ".so" elsewhere), with the platform's separator. Returns 0
 * with the terminated path and its length, or -1 with nothing written when it does not fit in
 * size bytes with its terminator. */
int32_t snldlgln(const char *short_name, char *path, uint32_t size, uint32_t *length, uint32_t flags);

KELNL_EXTERN_C_END

#endif
