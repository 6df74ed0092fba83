/* The trace: where a component's trace goes, what it lets through, and the records written to it. */
#ifndef KELNL_NLDT_H
#define KELNL_NLDT_H

#include <stdarg.h>

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

struct NlParameterTable;

/* Every operation below that takes an NlPrimaryErrorRecord reports a failure by pushing
 * (facility 1, the code, kind 2) onto it and returning the code; 0 is success. A null record is
 * allowed: the code is then only returned.
 *
 * Configuration (nldtin2, nldtalter, nldtlvlalter, nldtqins, nldtdestroy) takes no lock: it runs
 * during startup or while no other thread writes to the trace. Records may be written from
 * several threads when the trace's global context is thread-safe; each record is then written
 * whole under the context's trace_mutex. */

/* Creates a trace context for stream in *trace_slot and applies the level, events and filters
 * parameters of the table (a name is used only when it and its length are non-zero; absent or
 * malformed parameters leave the setting as it was). Records the process's global context in the
 * trace and registers the trace message file (37) with its message facility. 500 null slot; 501
 * null stream; 502 no memory or no global context; or the level change's failure (508). On
 * failure nothing is left allocated and *trace_slot is null. Release with nldtdestroy. */
int32_t nldtin2(NlPrimaryErrorRecord *errors, NlTraceContext **trace_slot,
                struct NlParameterTable *parameters, NlDiagStream *stream, const char *level_name,
                uint32_t level_name_length, const char *events_name, uint32_t events_name_length,
                const char *filters_name, uint32_t filters_name_length);

/* Applies the same three parameters, and a new stream when stream is non-null (the previous
 * stream is then closed, not destroyed). The changes are made on a copy that is stored only when
 * everything succeeded: a failed level change (508 or a stream's close failure) leaves the
 * context as it was. 500 null trace. An unknown level text pushes 503 and counts as level 0. */
int32_t nldtalter(NlPrimaryErrorRecord *errors, NlTraceContext *trace,
                  struct NlParameterTable *parameters, NlDiagStream *stream,
                  const char *level_name, uint32_t level_name_length, const char *events_name,
                  uint32_t events_name_length, const char *filters_name,
                  uint32_t filters_name_length);

/* Releases the filter list, the external record buffer and the context, and nulls *trace_slot.
 * The streams stay their owner's. 500 null slot or context. */
int32_t nldtdestroy(NlPrimaryErrorRecord *errors, NlTraceContext **trace_slot);

/* Sets the level (capped at 16). A level above 0 opens the trace stream (508 when it cannot be
 * opened: the level stays), level 0 closes it (a close failure is returned). Nothing happens when
 * the level does not change. 500 null trace. */
int32_t nldtlvlalter(NlPrimaryErrorRecord *errors, NlTraceContext *trace, uint32_t level);

/* The level of a text: a level name of the same length, ignoring case ("off" 0, "err" 2, "user"
 * 4, "admin" 6, "analysis" 9, "port" 12, "dev" 15, "support" 16), or one or two characters
 * starting with a digit, taken as a number (so "5x" is 5) and capped at 16. Anything else
 * pushes 503 and gives 0. */
uint32_t nldtstr2lv(NlPrimaryErrorRecord *errors, const char *text, uint32_t length);

/* Zero-fills *errors (when non-null) and stores the name and length of the highest named level
 * not above level ("off" for 0 and 1, "user" for 5, "support" for 99). The name is a constant
 * text, not terminated within length. Null slots are skipped. */
void nldtlv2str(NlPrimaryErrorRecord *errors, uint32_t level, const char **name_slot,
                uint32_t *length_slot);

/* Puts an owned copy of the component name (length bytes, not terminated) at the head of the
 * filter list. 1 when inserted; 0 when memory ran out or trace is null (nothing is pushed). The
 * caller sets NLDT_FLAG_FILTERS to put the list in use. */
int32_t nldtqins(NlTraceContext *trace, const char *text, uint32_t length);

/* Stores the trace's current stream in *stream_slot. 500 null trace (the slot is nulled first);
 * 501 null slot. */
int32_t nldtshget(NlPrimaryErrorRecord *errors, NlTraceContext *trace, NlDiagStream **stream_slot);

/* Whether a record is wanted: non-zero when its component matches the filter list (a name
 * ending in '*' matches every component starting with what comes before it), or when its level
 * (low 8 bits; 0 always passes) is not above the trace's level and one of its events (1 to 511;
 * 0 is none) is enabled, or all of them with NLDT_FLAG_ALL_EVENTS. A record without events is
 * wanted only through the filter list. 0 for a null trace. Takes no lock. */
int32_t nldtfire(const NlTraceContext *trace, const char *component, uint32_t level,
                 uint32_t event1, uint32_t event2, uint32_t event3);

/* The event numbers (int arguments) follow level and end with 0; then the printf format and its
 * arguments. A level 2 record is preceded by "-<ERROR>- ", a level 1 record by a line break and
 * "-<FATAL?>- " and followed by a line break; the component is shown only when the trace's level
 * is above 6. The format carries its own line end. 0 when written or not wanted; 500 null trace;
 * 506 a write or flush failed. */
int32_t nldtr1(NlPrimaryErrorRecord *errors, NlTraceContext *trace, const char *component,
               uint32_t level, ...);

/* A record with up to three events (0 for none), the component always shown. As nldtr1. */
int32_t nldtr2(NlPrimaryErrorRecord *errors, NlTraceContext *trace, const char *component,
               uint32_t level, uint32_t event1, uint32_t event2, uint32_t event3,
               const char *format, ...);

/* A hexadecimal dump of length bytes at data, eight bytes a line, when the record is wanted.
 * reserved is not used. 500, 506. */
int32_t nldtr3(NlPrimaryErrorRecord *errors, NlTraceContext *trace, const char *component,
               uint32_t level, uint32_t event1, uint32_t event2, uint32_t event3,
               uint32_t reserved, const void *data, uint32_t length);

/* Writes a record with the component whatever the level, events and filters say. 500, 506. */
int32_t nldtr4(NlPrimaryErrorRecord *errors, NlTraceContext *trace, const char *component,
               const char *format, ...);

/* ---- The general trace call and the external trace bridge ------------------------------------
 * Records name a component message and a text message of the trace message file (37). They go to
 * the trace's stream, or to the external trace library once nldtotinit has switched the trace to
 * it (parameter use_ztrace). */

/* After level come the event numbers (int) ended by 0. A text record then has the text message
 * number (int), the check format (the conversions the caller's arguments follow, e.g. "%s %d")
 * and the arguments; a record listing event 14 is a dump and has a 32-bit value, the data length
 * (int, low 16 bits used) and the data pointer. A record whose level is above the trace's is
 * dropped (level 0 never is). Internally written records leave their failures on *errors and give
 * 0; externally 502 when no buffer could be had for the record. 0 and 500 (pushed) for a null
 * trace. external_argument is handed to the external trace library with the record. */
int32_t nldtotrc(NlPrimaryErrorRecord *errors, NlTraceContext *trace, uintptr_t external_argument,
                 uint32_t component_message, uint32_t line, uint32_t level, ...);

/* nldtotrc with an argument list holding the events, their 0 and what follows them. A non-null
 * check_format is used instead of reading one from the list. */
int32_t nldtotva(NlPrimaryErrorRecord *errors, NlTraceContext *trace, uintptr_t external_argument,
                 uint32_t component_message, uint32_t line, uint32_t level,
                 const char *check_format, va_list arguments);

/* Starts the external trace when the global context's parameter use_ztrace is true: registers
 * with the external trace library under startup_name (11 characters, not terminated) and
 * configures it for level, for records to a file named after trace_name (its final ".trc" cut)
 * in the directory configuration_path (both terminated). With use_ztrace absent or false, or a
 * level of 0 or below, the bridge stays inactive and the result is 0. 512 null trace, name or
 * path, or registration refused; 513 bad configuration; 514 no resources; 515 other failures. */
int32_t nldtotinit(NlTraceContext *trace, const char *startup_name, int32_t level,
                   const char *trace_name, const char *configuration_path);

/* Stamps the 8-byte key on the following external records and writes it as a key record.
 * 509 null trace or key, inactive bridge, or the key was refused. */
int32_t nldtotCF3(NlTraceContext *trace, const uint8_t *key, uintptr_t argument);

/* As nldtotCF3, and stores in *size_slot the size of a key record reported by the external
 * trace library less 8. 509 on any failure (500 is pushed first for a null trace), with
 * *size_slot set to 0. */
int32_t nldtotset(NlPrimaryErrorRecord *errors, NlTraceContext *trace, const uint8_t *key,
                  uintptr_t argument, int32_t *size_slot);

/* Deregisters from the external trace library and returns its result. 509 inactive bridge, or
 * null trace (500 pushed). */
int32_t nldtotdereg(NlPrimaryErrorRecord *errors, NlTraceContext *trace);

KELNL_EXTERN_C_END

#endif
