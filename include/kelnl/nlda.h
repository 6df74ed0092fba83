/* The date facility of a global context: the current date and time as text. */
#ifndef KELNL_NLDA_H
#define KELNL_NLDA_H

#include "nlbase.h"
#include "nlstd.h"

KELNL_EXTERN_C_BEGIN

/* Date texts follow the picture "DD-MON-YYYY HH24:MI:SS" in local time, for example
 * 05-DEC-2026 15:49:08. A buffer must hold the picture's 22 characters and a terminator. */
#define NL_DATE_BUFFER_SIZE 23

/* Starts the date facility in context->date_facility. Result 0; 849 when memory runs out (also
 * recorded on the context's error stack); the error number of facility 22 when the date
 * functions refuse to start (signalled on the error stack, caught here; the facility is then
 * released again); 1 for a null context or error stack. */
int32_t nldaini(NlGlobalContext *context);

/* Releases context->date_facility and nulls it; nothing for a null context. */
void nldatrm(NlGlobalContext *context);

/* Writes the current date and time as a terminated date text into buffer and its length into
 * *text_length (when given), starting the date facility on first use. Result 0; 1 for a null
 * context or error stack (the buffer is not touched); otherwise the date functions' error number
 * (facility 22, e.g. 104 when size is below 23), which is also on the error stack. A recovery
 * frame is linked for the call: callers on several threads serialise on the context. */
int32_t nldatxt(NlGlobalContext *context, char *buffer, size_t size, size_t *text_length);

KELNL_EXTERN_C_END

#endif
