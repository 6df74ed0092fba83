/* Random numbers: a small per-context generator of 16-bit values that spreads connections over
 * the addresses of a load-balanced list. It is not meant for security. */
#ifndef KELNL_NLRN_H
#define KELNL_NLRN_H

#include "nlbase.h"
#include "nlstd.h"

KELNL_EXTERN_C_BEGIN

/* nlrnini's result when the state cannot be allocated. */
#define NLRN_STATUS_NO_MEMORY 0xC0070035u

/* The generator's state, hung off context->random_state and owned by the context. All arithmetic
 * on it is unsigned 32-bit with wrap-around. */
typedef struct NlRandomState {
  uint32_t multiplier;  /* 971, fixed */
  uint32_t step_a;      /* starts at 11113 */
  uint32_t step_b;      /* starts at 104322 */
  uint32_t value;       /* the running value; starts at the seed */
  uint32_t initialised; /* 1 once seeded */
} NlRandomState;

/* Makes the state when the context has none, then (re)seeds it from the time of day, the tick
 * count and the calling thread's id; every call re-seeds. Result 0, or NLRN_STATUS_NO_MEMORY
 * when the state cannot be allocated (the context is then unchanged) or context is null. The state is not locked:
 * callers sharing a context serialise their calls. */
uint32_t nlrnini(NlGlobalContext *context);

/* Writes the next 16-bit value to *value_out. A context without a seeded state is seeded first
 * (nlrnini) and yields a value from the fresh seed without a step. Result 0, or 1 when the state
 * had to be made and that failed, or context or value_out is null (*value_out is then not
 * written). */
int32_t nlrngr(NlGlobalContext *context, uint16_t *value_out);

/* Frees the state and sets context->random_state to null; a context without state only has the
 * slot cleared, a null context is nothing to do. */
void nlrntrm(NlGlobalContext *context);

KELNL_EXTERN_C_END

#endif
