// Reading and writing all stored options at once, in the key table's order.
#pragma once

#include "settings/ini_file.h"
#include "settings/option_keys.h"

#include <array>

namespace quillo {

struct StoredOptions {
    std::array<bool, OptionFlagKeys.size()> flags{}; // in OptionFlagKeys order
    int defaultOperator = DefaultOperatorDefault;
};

// Each key with its default where missing or unreadable.
StoredOptions ReadOptions(const TIniFile& settings);

// Writes the ten flags, then "Default Operator". The first failing write
// raises its failure; the keys written before it keep their new values.
void WriteOptions(const TIniFile& settings, const StoredOptions& options);

// The FOperator item to select at start-up for a stored value: a value below
// the item count is taken (a negative one as "no selection", -1), a larger one
// leaves the current selection.
constexpr int OperatorSelection(int stored, int current)
{
    return stored >= OperatorItemCount ? current : stored < 0 ? -1 : stored;
}

} // namespace quillo
