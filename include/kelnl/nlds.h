/* Diagnostic streams: the one output channel that trace, log, banner and error printing write
 * through. Four kinds of sink (standard output, standard error, a text file, a pair of two other
 * streams) hide behind one table of eight operations.
 *
 * Every operation that takes an NlPrimaryErrorRecord reports a failure by pushing (facility 1,
 * the code, kind 2) onto it with nlepepe and returning the code; 0 is success. A failure that
 * comes from the file layer leaves the layer's detail in the record's os_error and sets
 * os_facility to 3. A null record is allowed: the code is then only returned.
 *
 * A stream takes no lock: callers that share one between threads serialise their calls. */
#ifndef KELNL_NLDS_H
#define KELNL_NLDS_H

#include <stdarg.h>
#include <stdio.h>

#include "nlbase.h"
#include "nlep.h"
#include "nlfn.h"

KELNL_EXTERN_C_BEGIN

/* Kinds (the kind field) and the kind bits of nldsinit. */
#define NLDS_KIND_STANDARD_OUTPUT 1u
#define NLDS_KIND_STANDARD_ERROR 2u
#define NLDS_KIND_FILE 4u
#define NLDS_KIND_REFUSED 8u /* nldsinit refuses any request naming it */
#define NLDS_KIND_PAIR 16u

/* Bits of the options field. */
#define NLDS_OPTION_APPEND 1u       /* file: the first open appends; the stream never cycles */
#define NLDS_OPTION_RING_MEMBER 4u  /* a trace-ring file after the first; only reported */
#define NLDS_OPTION_LINE_INPUT 16u  /* a line-input file served by the formatted-file operations */

/* Bits of the state field. */
#define NLDS_STATE_INITIALISED 1u
#define NLDS_STATE_OPEN 2u
#define NLDS_STATE_CYCLING 4u /* file: a formatted write may move the trace ring on */

/* Bit of the capture field: a standard stream formats into the error record's text buffer. */
#define NLDS_CAPTURE_TEXT 1u

/* Bits of NlDiagFile.flags. */
#define NLDS_FILE_NAME_OWNED 1u   /* the name is freed with the stream */
#define NLDS_FILE_CLOSED_BEFORE 2u /* opened and closed before: the next open appends */

#define NLDS_NO_SIZE_LIMIT 0xFFFFFFFFu

/* A file stream's info: a 32-bit name length, then at most 256 name characters and a NUL. */
#define NLDS_INFO_NAME_LIMIT 256u
#define NLDS_FILE_INFO_SIZE (4u + NLDS_INFO_NAME_LIMIT + 1u)

struct NlDiagStream;
struct NlTraceContext;

typedef int32_t (*NlDiagOpenFunction)(NlPrimaryErrorRecord *errors, struct NlDiagStream *stream);
typedef int32_t (*NlDiagCloseFunction)(NlPrimaryErrorRecord *errors, struct NlDiagStream *stream);
typedef int32_t (*NlDiagDestroyFunction)(NlPrimaryErrorRecord *errors, struct NlDiagStream *stream);
typedef int32_t (*NlDiagReadFunction)(NlPrimaryErrorRecord *errors, struct NlDiagStream *stream,
                                      void *buffer, uint32_t size, uint32_t *length_out);
typedef int32_t (*NlDiagWriteFunction)(NlPrimaryErrorRecord *errors, struct NlDiagStream *stream,
                                       const void *buffer, uint32_t length);
typedef int32_t (*NlDiagPrintFunction)(NlPrimaryErrorRecord *errors, struct NlDiagStream *stream,
                                       const char *format, va_list arguments);
typedef int32_t (*NlDiagFlushFunction)(NlPrimaryErrorRecord *errors, struct NlDiagStream *stream);
typedef int32_t (*NlDiagInfoFunction)(NlPrimaryErrorRecord *errors, struct NlDiagStream *stream,
                                      void *info_buffer);

/* One output channel. Allocated and zero-filled by nldsinit, released by nldsdestroy. */
typedef struct NlDiagStream {
  uint8_t capture;   /* NLDS_CAPTURE_TEXT; nothing in this library sets it */
  uint16_t kind;     /* NLDS_KIND_* */
  uint8_t options;   /* NLDS_OPTION_*; cleared for the standard kinds */
  uint8_t state;     /* NLDS_STATE_* */
  void *kind_data;   /* standard kinds: a FILE * word; file: NlDiagFile; pair: NlDiagPair */
  NlDiagOpenFunction op_open;
  NlDiagCloseFunction op_close;
  NlDiagDestroyFunction op_destroy;
  NlDiagReadFunction op_read;
  NlDiagWriteFunction op_write;
  NlDiagPrintFunction op_vfprintf;
  NlDiagFlushFunction op_flush;
  NlDiagInfoFunction op_info;
  NlFileNameDesc *name_desc;     /* set and owned by the trace or log opener, never freed here */
  struct NlTraceContext *trace;  /* the trace that owns this stream as a trace file, or null */
  struct NlDiagStream *next;     /* next file of the trace ring; the last points to the first */
  int32_t sequence;              /* cycle number of this file: 1 at setup, 999999 then 1 */
} NlDiagStream;

/* Kind data of a file stream, zero-filled at creation. */
typedef struct NlDiagFile {
  FILE *handle;
  uint32_t read_position; /* where the next nldsread starts */
  uint32_t position;      /* the last position obtained from the file layer */
  char *name;             /* not terminated */
  uint32_t name_length;
  uint32_t size_limit;    /* writes at or beyond it fail with 240; NLDS_NO_SIZE_LIMIT at creation */
  uint8_t flags;          /* NLDS_FILE_* */
} NlDiagFile;

/* Kind data of a pair: the members stay the caller's (never opened, closed or destroyed here). */
typedef struct NlDiagPair {
  NlDiagStream *first;
  NlDiagStream *second;
} NlDiagPair;

/* Creates a closed stream in *stream_slot. kind_bits is a set of NLDS_KIND_* values; the first
 * of standard output, standard error, file and pair present gives the kind. NLDS_KIND_REFUSED
 * present: 201 before anything else (slot untouched). None of the four: 204, returned without
 * being pushed, slot null. options (NLDS_OPTION_APPEND) matters to files only. kind_argument is
 * for a file the NlFileNameDesc of the file (null: the stream fails at open with 231; a name
 * that cannot be built gives 230), for a pair a pointer to two NlDiagStream pointers (null: 277).
 * context is accepted and unused. Null slot 200; no memory 202. On failure nothing stays
 * allocated and the slot is null. The caller owns the stream and releases it with nldsdestroy. */
int32_t nldsinit(NlPrimaryErrorRecord *errors, NlDiagStream **stream_slot, void *context,
                 uint8_t kind_bits, uint8_t options, void *kind_argument);

/* Closes the stream when it is open (a close failure is returned and the stream kept), releases
 * it and sets *stream_slot to null. Null slot or stream 200; not initialised 205. */
int32_t nldsdestroy(NlPrimaryErrorRecord *errors, NlDiagStream **stream_slot);

/* Opens the stream unless it is open. A file opens truncated the first time and appended to
 * after a close, or always with NLDS_OPTION_APPEND. 200, 205, or the kind's open failure. */
int32_t nldsopen(NlPrimaryErrorRecord *errors, NlDiagStream *stream);

/* Flushes and closes an open stream (206 when it is not open). A flush failure is pushed but does
 * not stop the close; a failed close leaves the stream open. */
int32_t nldsclose(NlPrimaryErrorRecord *errors, NlDiagStream *stream);

/* Flushes an open stream (206 when it is not open). */
int32_t nldsflush(NlPrimaryErrorRecord *errors, NlDiagStream *stream);

/* Reads at most size bytes into buffer and stores the count in *length_out (may be null). Only a
 * file can be read (216 otherwise): reading starts where the previous read ended and leaves the
 * write position where it was; nothing left to read gives 239. Opens the stream first. */
int32_t nldsread(NlPrimaryErrorRecord *errors, NlDiagStream *stream, void *buffer, uint32_t size,
                 uint32_t *length_out);

/* Writes length bytes. Opens the stream first. A pair writes to both members even when the
 * first fails and then reports 274. */
int32_t nldswrite(NlPrimaryErrorRecord *errors, NlDiagStream *stream, const void *buffer,
                  uint32_t length);

/* Formatted output (the C runtime's printf formats). Opens the stream first. A file stream of a
 * trace ring may hand the trace over to the ring's next file afterwards. */
int32_t nldsfprintf(NlPrimaryErrorRecord *errors, NlDiagStream *stream, const char *format, ...);
int32_t nldsvfprintf(NlPrimaryErrorRecord *errors, NlDiagStream *stream, const char *format,
                     va_list arguments);

/* Does not need an open stream. Stores the kind and the options, widened, in the non-null
 * outputs. A non-null info_buffer receives, for a file, the name length (32 bits) followed by
 * the name (cut at NLDS_INFO_NAME_LIMIT) and a NUL, so it needs NLDS_FILE_INFO_SIZE bytes; for
 * a pair, the two member pointers; a standard stream leaves it untouched. 200, 205. */
int32_t nldsinfo(NlPrimaryErrorRecord *errors, NlDiagStream *stream, uint32_t *kind_out,
                 uint32_t *options_out, void *info_buffer);

/* Installs the operation table of stream's kind into stream and into *other_slot (a copied
 * record whose function pointers must be set again). Does nothing when an argument is null or
 * the kind is unknown. */
void nldscppt(NlDiagStream *stream, NlDiagStream **other_slot);

KELNL_EXTERN_C_END

#endif
