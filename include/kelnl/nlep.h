/* The primary error record: the small fixed record that low-level operations report into. */
#ifndef KELNL_NLEP_H
#define KELNL_NLEP_H

#include "nlbase.h"

KELNL_EXTERN_C_BEGIN

/* Operating-system error record: cleared on entry by every snl* operation, filled on failure. */
typedef struct NlOsErrorRecord {
  uint32_t operation;    /* code of the failed operation; 0 = no error */
  uint32_t system_error; /* errno or the Windows error value */
  uint32_t extra;        /* operation-specific information */
} NlOsErrorRecord;

typedef struct NlErrorSlot {
  uint16_t error;
  uint8_t facility;
  uint8_t kind;
} NlErrorSlot;

#define NL_PRIMARY_ERROR_SLOTS 5

/* Owned by the caller, who clears it (all zero) before use. */
typedef struct NlPrimaryErrorRecord {
  NlErrorSlot errors[NL_PRIMARY_ERROR_SLOTS];
  NlOsErrorRecord os_error;
  uint8_t os_facility; /* facility under which os_error is reported */
  uint8_t count;       /* slots used, 0 to 5 */
  uint8_t overflow;    /* 1 after a push that was not stored */
  char *text;          /* optional caller buffer for error text */
  uint8_t text_length;
} NlPrimaryErrorRecord;

/* Stores (error truncated to 16 bits, facility, kind) in the next free slot when the record is
 * non-null, has a free slot and error is non-zero; otherwise a non-null record gets overflow = 1.
 * Always returns error unchanged, so an operation can report and return in one step.
 * Not locked: one record belongs to one caller. */
int32_t nlepepe(NlPrimaryErrorRecord *primary, int32_t facility, int32_t error, int32_t kind);

KELNL_EXTERN_C_END

#endif
