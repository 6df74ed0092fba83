// The ring of cyclic trace files as the startup opening builds it, and the release of a trace's
// streams with the file-name descriptors the opening gave them.
#ifndef KELNL_DIAGNOSTICS_TRACE_OPEN_RING_H
#define KELNL_DIAGNOSTICS_TRACE_OPEN_RING_H

#include <cstdint>

#include "kelnl/nldt.h"
#include "kelnl/nlfn.h"

namespace kelnl::diagnostics {

// Makes the trace's file stream the first of a ring of count (at least 2) files: its file is
// renamed to the base name followed by 1 and truncated at its next open, and files 2 to count
// are created beside it, truncated, as ring members that cycle. The streams are linked through
// next, the last back to the first. On any failure the files made so far after the first are
// destroyed and deleted, the first stops cycling and the trace keeps a single file; failures are
// pushed onto errors but not returned. Returns the number of files of the trace (count or 1).
std::int32_t BuildTraceRing(NlPrimaryErrorRecord* errors, NlDiagStream* first, std::int32_t count);

// Closes the other files of the ring the stream belongs to, so that a new ring can take over
// their names (a file that is open cannot be replaced everywhere). Should the new ring not come,
// a closed file reopens, appending, when the ring reaches it again.
void CloseOtherRingFiles(NlDiagStream* stream);

// Destroys the other streams of the ring the stream belongs to (their files stay) and leaves the
// stream on its own: a trace that keeps its stream starts over with that one file.
void DropOtherRingFiles(NlDiagStream* stream);

// A copy of desc whose texts live in the same block, so that it outlives the parameter table and
// the caller's template it was resolved from; released with Release. Null when memory runs out.
NlFileNameDesc* CopyFileNameDesc(const NlFileNameDesc& desc);

// Destroys the stream in *stream_slot and every stream of its ring (following next until it
// comes back or ends), each with its descriptor, and nulls the slot.
void DestroyTraceStreams(NlDiagStream** stream_slot);

}  // namespace kelnl::diagnostics

#endif
