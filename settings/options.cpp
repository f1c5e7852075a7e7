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

void WriteOptions(const TIniFile& settings, const StoredOptions& options)
{
    for (std::size_t i = 0; i < OptionFlagKeys.size(); ++i)
        settings.WriteFlag(OptionsSection, OptionFlagKeys[i].key, options.flags[i]);
    settings.WriteInt(OptionsSection, DefaultOperatorKey, options.defaultOperator);
}

} // namespace quillo
