#include "settings/output_options.h"

namespace quillo {

bool ReadOnlyFoundFiles(const TIniFile& settings)
{
    return settings.ReadFlag(OutputSection, OnlyFoundFilesKey, false);
}

void AddOnlyFoundFiles(ProfileChanges& changes, bool on, const TIniFile& current)
{
    if (on || current.HasKey(OutputSection, OnlyFoundFilesKey))
        changes.SetFlag(OutputSection, OnlyFoundFilesKey, on);
}

} // namespace quillo
