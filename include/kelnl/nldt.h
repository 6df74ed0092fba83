/* The trace context: where a component's trace goes and what it lets through. */
#ifndef KELNL_NLDT_H
#define KELNL_NLDT_H

#include "nlbase.h"
#include "nlds.h"

KELNL_EXTERN_C_BEGIN

/* Event numbers run from 1 to 511; bit n of the mask (byte n / 8, bit n % 8) enables event n. */
#define NLDT_EVENT_MASK_BYTES 64u

#define NLDT_LEVEL_MAXIMUM 16u

/* Bits of NlTraceContext.flags. */
#define NLDT_FLAG_ON 1u
#define NLDT_FLAG_FILTERS 2u       /* the component filter list is in use */
#define NLDT_FLAG_ALL_EVENTS 4u    /* a record needs all of its events enabled */
#define NLDT_FLAG_EXTERNAL 8u      /* the external trace is active */
#define NLDT_FLAG_TIME_STAMPS 16u

/* Values of NlTraceContext.mode. */
#define NLDT_MODE_INTERNAL 0u
#define NLDT_MODE_EXTERNAL 1u

/* A component name that is always traced; the name is owned by the node and not terminated. */
typedef struct NlTraceFilter {
  char *name;
  uint32_t name_length;
  struct NlTraceFilter *next;
} NlTraceFilter;

struct NlGlobalContext;

/* Allocated zero-filled from the library allocator. In a ring of trace files, stream is the file
 * being written and moves on to stream->next when that file is full. */
typedef struct NlTraceContext {
  NlDiagStream *stream;
  uint8_t events[NLDT_EVENT_MASK_BYTES];
  NlTraceFilter *filters; /* newest first */
  uint8_t level;          /* 0 (off) to 16 */
  uint8_t flags;          /* NLDT_FLAG_* */
  void *external_handle;  /* the external trace registration, null when inactive */
  uintptr_t external_state; /* owned by the external trace library */
  uintptr_t mode;           /* NLDT_MODE_*; once external it stays external */
  uint8_t *record_buffer;   /* where an external trace record is built */
  uintptr_t record_position;
  uintptr_t record_capacity;
  uintptr_t record_length;
  struct NlGlobalContext *context; /* message facility, dates and trace_mutex of the trace */
  int32_t file_length;      /* kilobytes per trace file; 0: no cycling */
  int32_t file_count;       /* files in the ring, at least 1 */
  uint32_t secondary_level; /* kept for callers; nothing in this library reads it */
} NlTraceContext;

KELNL_EXTERN_C_END

#endif
