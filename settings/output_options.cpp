#include "settings/output_options.h"

namespace quillo {

bool ReadOnlyFoundFiles(const TIniFile& settings)
{
    return settings.ReadFlag(OutputSection, OnlyFoundFilesKey, false);
}

void AddOnlyFoundFiles(ProfileChanges& changes, bool on)
{
    changes.SetFlag(OutputSection, OnlyFoundFilesKey, on);
}

} // namespace quillo
