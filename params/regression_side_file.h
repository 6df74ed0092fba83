// The regression side file: with T_LDREGRESS set, every new parameter entry's first binding is
// also written, normalised, to a file named after the table's main parameter file. A test aid;
// its state is process-wide and not locked.
#ifndef KELNL_PARAMS_REGRESSION_SIDE_FILE_H
#define KELNL_PARAMS_REGRESSION_SIDE_FILE_H

#include "kelnl/nlpa.h"

namespace kelnl {

// True when T_LDREGRESS is set; callers ask once per operation.
bool RegressionSideFileWanted();

// Normalises the binding's name and value in place (lower case, no blanks, tabs or newlines)
// and writes "name = value" to the side file of the table's first file name.
void WriteRegressionLine(NlParameterTable* table, NlParamBinding* binding);

}  // namespace kelnl

#endif
