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

// Adds the ten flags, then "Default Operator", to changes that are written
// together (with other sections of the same file, say).
void AddOptions(ProfileChanges& changes, const StoredOptions& options);

// Writes the ten flags, then "Default Operator", in one write of the file:
// either all of them are stored or, on a failure, none.
void WriteOptions(const TIniFile& settings, const StoredOptions& options);

// The FOperator item to select at start-up for a stored value: a value below
// the item count is taken (a negative one as "no selection", -1), a larger one
// leaves the current selection.
constexpr int OperatorSelection(int stored, int current)
{
    return stored >= OperatorItemCount ? current : stored < 0 ? -1 : stored;
}

} // namespace quillo
