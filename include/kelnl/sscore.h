/* The core-services data word through which a server process declares itself. */
#ifndef KELNL_SSCORE_H
#define KELNL_SSCORE_H

#include "nlbase.h"

KELNL_EXTERN_C_BEGIN

/* Non-zero in a server process. Read at every allocation and release: while it is non-zero the
 * library allocates from the core-services family, otherwise from the C heap; a block is always
 * released by the family that allocated it. It also selects one global context per thread
 * instead of one per process (nlstd.h). Set it before any thread uses the library. */
KELNL_DATA int32_t sscoreserverflag;

KELNL_EXTERN_C_END

#endif
