#include "ui/window/startup_and_close.h"

#include "search/failure.h"
#include "search/run_flags.h"
#include "settings/ini_file.h"
#include "settings/options.h"
#include "settings/paths.h"
#include "settings/search_section.h"
#include "settings/window_place.h"
#include "ui/window/window_layout.h"
#include "ui/window/window_place.h"

#include <QCheckBox>
#include <QComboBox>
#include <QWidget>

#include <string_view>

namespace quillo {
namespace {

QCheckBox* OptionBox(const QWidget& window, std::string_view name)
{
    return window.findChild<QCheckBox*>(QLatin1String(name.data(), static_cast<qsizetype>(name.size())));
}

} // namespace

StartupAndClose::StartupAndClose(QWidget& window, const WindowLayout& controls) : window_(window), controls_(controls)
{
}

StartupAndClose::~StartupAndClose() = default;

void StartupAndClose::ReadSettings()
{
    store_ = std::make_unique<TIniFile>(settingsFile_.empty() ? SettingsFile() : settingsFile_);
    const StoredOptions stored = ReadOptions(*store_);
    for (std::size_t i = 0; i < OptionFlagKeys.size(); ++i)
        OptionBox(window_, OptionFlagKeys[i].control)->setChecked(stored.flags[i]);
    QComboBox* op = controls_.FOperator;
    op->setCurrentIndex(OperatorSelection(stored.defaultOperator, op->currentIndex()));
    for (const Section& section : sections_)
        section.read(*store_);
    RestoreWindowPlace(window_, ReadWindowPlace(*store_));
    addFolder_ = addFolderRead_ = ReadAddFolderValues(*store_);
    const SearchMatching matching = ReadSearchMatching(*store_);
    controls_.OptionRegex->setChecked(matching.regex);
    controls_.OptionWholeWords->setChecked(matching.wholeWords);
}

void StartupAndClose::WriteSettings()
{
    if (!store_)
        return; // released by an earlier close: nothing is written through it
    StoredOptions options;
    for (std::size_t i = 0; i < OptionFlagKeys.size(); ++i)
        options.flags[i] = OptionBox(window_, OptionFlagKeys[i].control)->isChecked();
    options.defaultOperator = controls_.FOperator->currentIndex();
    // One write: the options and the window's place are stored together or,
    // when the file cannot be written, neither.
    ProfileChanges changes;
    AddOptions(changes, options);
    AddWindowPlace(changes, CurrentWindowPlace(window_));
    if (addFolder_ != addFolderRead_)
        AddAddFolderValues(changes, addFolder_);
    AddSearchMatching(changes, {controls_.OptionRegex->isChecked(), controls_.OptionWholeWords->isChecked()});
    for (const Section& section : sections_)
        section.write(changes, *store_);
    WriteOrGiveUp(changes);
    store_.reset();
}

// The first refused write is raised: the close shows it and does not take
// place, so the user learns that the options will not be kept and may mend
// the file. Once that has been shown, a later close goes through without
// them, so that a file that can never be written does not keep the window
// open for good.
void StartupAndClose::WriteOrGiveUp(const ProfileChanges& changes)
{
    try {
        store_->Write(changes);
    } catch (const Failure&) {
        if (!writeRefused_) {
            writeRefused_ = true;
            throw;
        }
    }
}

bool StartupAndClose::CloseRequested(const std::function<bool()>& formClose)
{
    if (closedWhileStarting_) {
        CancelRequested = true;
        return true;
    }
    if (!formClose())
        return false;
    if (starting_)
        closedWhileStarting_ = true;
    return true;
}

} // namespace quillo
