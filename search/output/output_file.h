// The output file: every line of the output list followed by CR LF.
#pragma once

#include "search/output/output_store.h"

#include <string>

namespace quillo {

// Writes the lines through a FileWriter: in one replace where that keeps the
// file what it was, in place otherwise. Raises "Cannot create file %s" when
// it cannot be created (a missing folder, a FIFO or other non-file under the
// name), "Stream write error" when writing fails; the old file stays whole
// then, except after a failed write in place (see search/file_writer.h).
void SaveOutputFile(const OutputLineStore& lines, const std::string& fileName);

} // namespace quillo
