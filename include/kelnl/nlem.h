/* The message facility: registered message files and the formatting of numbered messages. */
#ifndef KELNL_NLEM_H
#define KELNL_NLEM_H

#include "nlbase.h"
#include "nlep.h"
#include "nlstd.h"

KELNL_EXTERN_C_BEGIN

/* Storage that the national-language library keeps inside the facility and its records. Only
 * the status word of a message file is ours to read: 0 open, 2 no message file; any other value
 * means the file is not open. Everything else belongs to that library. */
typedef struct NlLanguageWorkArea {
  uintptr_t opaque[4];
} NlLanguageWorkArea;

typedef struct NlLanguageContext {
  uintptr_t opaque[4];
} NlLanguageContext;

typedef struct NlMessageFileContext {
  int32_t status;
  uintptr_t opaque[16];
} NlMessageFileContext;

#define NL_EMFI_PRODUCT_CAPACITY 16      /* 15 characters and a terminator */
#define NL_EMFI_FACILITY_CAPACITY 8      /* 5 characters and a terminator, padded */
#define NL_MESSAGE_CACHE_LIMIT 1068      /* largest cache handed to the national-language library */

/* One registered message file, identified by its emfi (1 to 255). */
typedef struct NlEmfi {
  char product[NL_EMFI_PRODUCT_CAPACITY];
  uint32_t product_length;
  char facility_name[NL_EMFI_FACILITY_CAPACITY];
  uint32_t facility_name_length;
  uint8_t number;
  uint8_t open;                 /* bit 0: the message file is open */
  struct NlEmfi *next;
  char *message_buffer;         /* cache given to the national-language library, or null */
  NlMessageFileContext message_file;
  NlMutex mutex;                /* guards every use of message_file */
} NlEmfi;

/* One per global context: the list of registered message files, newest first. */
typedef struct NlMessageFacility {
  NlEmfi *emfi_list;
  void *language_handle;
  NlLanguageWorkArea language_work;
  uint32_t language_id;
  NlLanguageContext language_context;
  void *thread_context;         /* core-services handle used with the records' mutexes */
} NlMessageFacility;

/* Creates the facility in *facility_slot with the message files NETWORK/NL (1), NETWORK/SNL (3)
 * and RDBMS/KEL (22). Result 0, or 600 (null slot), 601, 605 or a registration code; the code is
 * pushed into primary (facility 1, kind 4) and, when error_buffer and error_buffer_size are both
 * non-zero, a fixed English text of the code is copied into error_buffer (at most 59 bytes and a
 * terminator; the count copied goes to *error_length, 0 otherwise). A facility that was allocated
 * stays in the slot after a failure; the caller ends it with nlemdestroy. */
int32_t nleminz(NlPrimaryErrorRecord *primary, NlMessageFacility **facility_slot, int32_t ignored,
                char *error_buffer, size_t error_buffer_size, size_t *error_length);

/* Registers message file `number` (1 to 255) of a product (1 to 15 characters) and a facility
 * name (1 to 5 characters). Registering the same triple again succeeds. Result 0, or 600 (null
 * facility), 607, 608, 609 (checked in that order), 602 (the number is registered with other
 * names), 601 or 611; failures are pushed into primary (kind 2). Registrations are not locked:
 * make them before other threads use the facility. */
int32_t nlemfireg(NlPrimaryErrorRecord *primary, NlMessageFacility *facility, int32_t number,
                  const char *product, size_t product_length, const char *facility_name,
                  size_t facility_length);

/* The record of emfi `number`, or null. The record belongs to the facility. */
NlEmfi *nlemfsearch(NlMessageFacility *facility, int32_t number);

/* Opens the record's message file if it is not open yet. Result 0, 606 (no readable message
 * file), 601 (no memory for the cache) or 600 (null argument); nothing is pushed. Thread-safe. */
int32_t nlemomf(NlMessageFacility *facility, NlEmfi *record);

/* Closes the record's message file when it is open; always 0. Thread-safe. */
int32_t nlemcmf(NlMessageFacility *facility, NlEmfi *record);

/* Formats message `error` of emfi `emfi` into buffer (size bytes, always terminated when size is
 * non-zero): `indent` spaces when 0 < indent <= size, the prefix "FAC-NNNNN: " when with_prefix is
 * non-zero and there is room for it, then the text. Without a message file the text is a fallback
 * naming the message, followed by a tab, two spaces and " [%s]" per argument (at most 7) when
 * arg_count is non-zero. *text_length (when non-null) receives the length. `kind` is not used.
 * Result 0; 600 (null facility, pushed); 603 (emfi not registered, not pushed). Thread-safe. */
int32_t nlemgmz(NlPrimaryErrorRecord *primary, NlMessageFacility *facility, int32_t emfi,
                uint32_t error, int32_t kind, int32_t arg_count, int32_t indent, int32_t with_prefix,
                char *buffer, size_t size, size_t *text_length);

/* Writes the errors of `record` into buffer, newest first, one prefixed message per line. The
 * operating-system error is not included. Result 0; 600 (null facility) or 610 (exactly one of
 * buffer and size zero), each pushed into record. A null record gives an empty text. */
int32_t nleme2t(NlPrimaryErrorRecord *record, NlMessageFacility *facility, char *buffer,
                size_t size, size_t *text_length);

/* Copies the product and facility names of emfi `emfi` (min(size, length) bytes each, without a
 * terminator) and stores the copied lengths through the non-null length pointers. Result 0, 600,
 * 610 (a null buffer or a zero size) or 603, pushed into primary (kind 2). */
int32_t nlemgpf(NlPrimaryErrorRecord *primary, NlMessageFacility *facility, int32_t emfi,
                char *product_buffer, size_t product_size, size_t *product_length,
                char *facility_buffer, size_t facility_size, size_t *facility_name_length);

/* Closes every message file, releases every record and the facility and nulls *facility_slot.
 * Result 0, or 600 (null slot or facility, pushed into primary with kind 2). */
int32_t nlemdestroy(NlPrimaryErrorRecord *primary, NlMessageFacility **facility_slot);

KELNL_EXTERN_C_END

#endif
