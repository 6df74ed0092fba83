// The steps of a startup that the parameter re-reading and the reopening operations share.
#ifndef KELNL_CONTEXT_STARTUP_STEPS_H
#define KELNL_CONTEXT_STARTUP_STEPS_H

#include <cstdint>

#include "context/startup_results.h"
#include "kelnl/nlpa.h"
#include "kelnl/nlstd.h"

namespace kelnl::startup {

inline constexpr std::int32_t kLibraryFacility = 1;
// The source kind of a network profile: what the plain parameter files stand for.
inline constexpr std::int32_t kProfileSourceKind = 2;

// Makes an empty parameter table in *table_slot, reporting into errors.
std::int32_t CreateEmptyTable(NlPrimaryErrorRecord* errors, NlParameterTable** table_slot, NlGlobalContext* context);

// Reads the system file, the local file and the command-line text that the block's flags ask for
// into table, filling the block's statuses and the results' names and records. Returns the
// parameter-source code: 0, or the code of the source that failed (a missing system file is
// forgiven when the command line included a file).
std::int32_t ReadParameterSources(NlGlobalContext* context, NlStartupParameters* parameters,
                                  NlStartupResults* results, NlParameterTable* table);

// Installs *fresh in the context when the sources gave no error, or when the context has no table
// yet; the slot is then null. Otherwise the context keeps its table and *fresh stays the caller's.
bool InstallParameterTable(NlGlobalContext* context, NlParameterTable** fresh, bool sources_failed);

// Copies the names of the files read from the results into the block, each only for a source
// that was read and a name that fits.
void CopySourceNames(NlStartupParameters* parameters, const NlStartupResults* results);

// Traces what the sources gave and the parameters of table, when the context's trace is on.
void TraceParameterSources(NlGlobalContext* context, const NlStartupParameters* parameters,
                           const NlStartupResults* results, NlParameterTable* table, bool installed);

// Writes the startup report (files read, log, trace and its level) into the context's log.
void WriteStartupReport(NlGlobalContext* context, const NlStartupParameters* parameters);

// Pushes error onto the context's stack with one text argument.
void PushWithName(NlGlobalContext* context, std::int32_t error, const char* name);

bool RecordHoldsErrors(const NlPrimaryErrorRecord& record);

// Fills the block nlstdgo starts with (also taken for a startup given no block).
void FillDefaultBlock(NlStartupParameters* block);

}  // namespace kelnl::startup

#endif
