/* The banner: the version line a component writes at the top of its log and trace. */
#ifndef KELNL_NLBA_H
#define KELNL_NLBA_H

#include "nlbase.h"
#include "nlep.h"
#include "nlstd.h"

KELNL_EXTERN_C_BEGIN

struct NlDiagStream;

/* Release status words, by status argument; 7 and above print "SDK2". */
#define NL_STATUS_PRODUCTION 0
#define NL_STATUS_DEVELOPERS_RELEASE 1
#define NL_STATUS_BETA 2
#define NL_STATUS_ALPHA 3
#define NL_STATUS_DEVELOPMENT 4
#define NL_STATUS_UNKNOWN 5
#define NL_STATUS_SDK1 6
#define NL_STATUS_SDK2 7

/* Writes "<product> for <platform>: Version a.b.c.d.e - <status>" into buffer when
 * product_length + 60 < size (the version word packs its fields in bits 24-31, 20-23, 12-19,
 * 8-11 and 0-7), and its length into *text_length; otherwise leaves the buffer as it was and
 * sets *text_length to 0. */
void nlbamsg(const char *product, size_t product_length, uint32_t version, uint32_t status,
             char *buffer, size_t size, size_t *text_length);

/* Writes the banner to `stream`: a newline, the version line, " on " and the date, then (when
 * year_length < 38) a notice naming the year and the product's owner between blank lines; then
 * flushes the stream. Stream failures are pushed into primary. Result 0, or the first failing
 * code (a date failure is the date facility's, see nldatxt). */
int32_t nlban2(NlGlobalContext *context, NlPrimaryErrorRecord *primary, struct NlDiagStream *stream,
               const char *product, size_t product_length, uint32_t version, uint32_t status,
               const char *year, size_t year_length);

KELNL_EXTERN_C_END

#endif
