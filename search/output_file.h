// The output file: every line of the output list followed by CR LF.
#pragma once

#include "output_store.h"

#include <string>

namespace quillo {

// Writes the lines to a new file that then takes the name's place in one step
// (FileWriter). Raises "Cannot create file %s" when it cannot be created (a
// missing folder, a FIFO or other non-file under the name), "Stream write
// error" when writing fails; the old file stays whole in both cases.
void SaveOutputFile(const OutputLineStore& lines, const std::string& fileName);

} // namespace quillo
