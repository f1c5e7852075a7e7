// What the program's command line does to the main window: it fills the file
// list and the search strings, picks the operator and starts runs.
#pragma once

#include "app/command_line.h"
#include "ui/dialogs/listing_progress.h"

#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace quillo {

class Dialogs;
class FileListPage;
struct WindowLayout;

class WindowCommandLineHost final : public CommandLineHost {
public:
    // runSearch: the Search button's handler, run as it is (its failures go
    // to whoever applies the command line).
    WindowCommandLineHost(QWidget& window, const WindowLayout& controls, FileListPage& files, Dialogs& dialogs,
                          std::function<void()> runSearch);

    // The program's parameters (without its own name, no empty ones).
    void SetParameters(std::vector<std::string> parameters) { parameters_ = std::move(parameters); }
    void Apply();

    void ShowWrongFilename() override;
    void AppendFileEntry(const std::string& entry) override;
    // With the progress dialog when the listing lasts.
    bool ListPattern(const std::string& pattern, std::vector<std::string>& files) override;
    void SetProgressShowAfter(ListingProgressDialog::Clock::duration after) noexcept { showAfter_ = after; }
    void LoadFileList(const std::string& listFile) override;
    std::size_t FileCount() override;
    void SetString1(const std::string& text) override;
    void SetString2(const std::string& text) override;
    void SelectOperator(int index) override;
    bool SearchEnabled() override;
    void SetSearchEnabled(bool on) override;
    void RunSearchFromCommandLine() override;

private:
    QWidget& window_;
    const WindowLayout& controls_;
    FileListPage& files_;
    Dialogs& dialogs_;
    std::function<void()> runSearch_;
    std::vector<std::string> parameters_;
    ListingProgressDialog::Clock::duration showAfter_ = ListingProgressDialog::DefaultShowAfter;
};

} // namespace quillo
