// The output file: every line of the output list followed by CR LF.
#pragma once

#include "output_store.h"

#include <string>

namespace quillo {

// Creates or truncates the file and writes the lines. Raises "Cannot create
// file %s" when it cannot be created, "Stream write error" when writing fails.
void SaveOutputFile(const OutputLineStore& lines, const std::string& fileName);

} // namespace quillo
