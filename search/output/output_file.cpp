#include "search/output/output_file.h"

#include "search/save/file_writer.h"

namespace quillo {

void SaveOutputFile(const OutputLineStore& lines, const std::string& fileName)
{
    FileWriter file(fileName);
    for (std::size_t i = 0; i < lines.Count(); ++i) {
        file.Write(lines.Line(i));
        file.Write("\r\n");
    }
    file.Close();
}

} // namespace quillo
