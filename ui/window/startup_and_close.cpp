#include "ui/window/startup_and_close.h"

#include "search/run_flags.h"
#include "settings/ini_file.h"
#include "settings/options.h"
#include "settings/paths.h"
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
    for (const Section& section : sections_)
        section.write(changes, *store_);
    store_->Write(changes);
    store_.reset();
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
