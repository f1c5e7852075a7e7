#include "settings/options.h"

namespace quillo {

StoredOptions ReadOptions(const TIniFile& settings)
{
    StoredOptions options;
    for (std::size_t i = 0; i < OptionFlagKeys.size(); ++i)
        options.flags[i] = settings.ReadFlag(OptionsSection, OptionFlagKeys[i].key, OptionFlagKeys[i].defaultOn);
    options.defaultOperator = settings.ReadInt(OptionsSection, DefaultOperatorKey, DefaultOperatorDefault);
    return options;
}

void AddOptions(ProfileChanges& changes, const StoredOptions& options)
{
    for (std::size_t i = 0; i < OptionFlagKeys.size(); ++i)
        changes.SetFlag(OptionsSection, OptionFlagKeys[i].key, options.flags[i]);
    changes.SetInt(OptionsSection, DefaultOperatorKey, options.defaultOperator);
}

void WriteOptions(const TIniFile& settings, const StoredOptions& options)
{
    ProfileChanges changes;
    AddOptions(changes, options);
    settings.Write(changes);
}

} // namespace quillo
