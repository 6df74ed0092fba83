/* Formatted files: the thin layer through which a control program reads its commands and prints
 * its answers. A handle is an NlDiagStream; besides the streams of nlds.h it can be a line-input
 * file (kind NLDS_KIND_FILE, options exactly NLDS_OPTION_LINE_INPUT), a read-only command file
 * served here alone: only the operations below may be used on it (and the interpreter's end-of-input test).
 *
 * The codes of this family are returned without being pushed; where an operation hands over to
 * a stream operation of nlds.h, that operation pushes and returns its own codes. The context
 * argument is accepted and not used. No operation takes a lock: callers serialise the use of one
 * handle. */
#ifndef KELNL_NLFI_H
#define KELNL_NLFI_H

#include "nlbase.h"
#include "nlds.h"
#include "nlep.h"

KELNL_EXTERN_C_BEGIN

/* Output of nlfifpf is written in pieces of at most this many characters. */
#define NLFI_PIECE_LIMIT 255u

/* With kind_bits NLDS_KIND_FILE and options NLDS_OPTION_LINE_INPUT: opens the line-input file
 * whose path is the base name of the NlFileNameDesc given as kind_argument, for reading in text
 * mode. 202 when memory runs out, 231 when the file cannot be opened (nothing stays allocated and
 * the slot is null). Any other pair: nldsinit(errors, stream_slot, stream_context, kind_bits,
 * options, kind_argument). The caller releases the handle with nlfidst. */
int32_t nlfiini(void *context, NlPrimaryErrorRecord *errors, NlDiagStream **stream_slot, void *stream_context,
                uint8_t kind_bits, uint8_t options, void *kind_argument);

/* Line-input file: closes it (a close failure is ignored), releases it and nulls the slot; 0.
 * Any other stream: nldsdestroy. */
int32_t nlfidst(void *context, NlPrimaryErrorRecord *errors, NlDiagStream **stream_slot);

/* Reads one line, its line end kept: at most size - 1 characters, terminated; the length goes to
 * *length_out (may be null). A line-input file reads its own file, a standard-output stream
 * reads standard input; for both, end of input or a failure gives 239 (the file layer's detail
 * is in errors->os_error when errors is given). Any other stream: nldsread. */
int32_t nlfird(void *context, NlPrimaryErrorRecord *errors, NlDiagStream *stream, void *buffer, uint32_t size,
               uint32_t *length_out);

/* nldswrite; a line-input file refuses with 235. */
int32_t nlfiwr(void *context, NlPrimaryErrorRecord *errors, NlDiagStream *stream, const void *buffer,
               uint32_t length);

/* nldsflush. */
int32_t nlfifl(void *context, NlPrimaryErrorRecord *errors, NlDiagStream *stream);

/* The file layer's access probe (snlfacc: mode 0 existence, 2 write, 4 read, 6 both); 0 or 203. */
int32_t nlfiacc(int32_t mode, const char *name, uint32_t length);

/* Position query and seek (origin 0 start, 1 current, 2 end) of a line-input file; any other
 * stream gives 204, a failure of the file layer 232. */
int32_t nlfitel(NlDiagStream *stream, int32_t *position_out);
int32_t nlfisek(NlDiagStream *stream, int32_t offset, int32_t origin);

/* Formats with the library's own conversions and writes the text with nlfiwr in pieces of at most
 * NLFI_PIECE_LIMIT characters. Conversions: flags - 0 + blank #, a width and a precision (digits
 * or *; precisions above 32 count as 32), one length letter h (16-bit integers), l or L (no
 * effect), then d i u o x X p c s e E f g G n or %. Floating exponents have at least three
 * digits. Returns the number of characters produced, including those of pieces whose write
 * failed (the stream layer has pushed that failure onto errors). */
int32_t nlfifpf(void *context, NlPrimaryErrorRecord *errors, NlDiagStream *stream, const char *format, ...);

KELNL_EXTERN_C_END

#endif
