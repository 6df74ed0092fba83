// End-of-input test for the command interpreter and the formatted-file operations; not exported.
#ifndef KELNL_DIAGNOSTICS_STREAM_EOF_H
#define KELNL_DIAGNOSTICS_STREAM_EOF_H

#include <cstdint>

#include "kelnl/nlds.h"

// 0 when the stream's input is at its end: always for standard output (the terminal, whose end
// the interpreter's caller decides), and for a file whose handle is null or at end of file.
// Otherwise 207, returned without being pushed. Reads only the handle of a file's kind data, so
// it also serves line-input files, which have nothing else.
extern "C" std::int32_t nldseof(const NlDiagStream* stream);

#endif
