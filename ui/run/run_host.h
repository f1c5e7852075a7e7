// What a search run does to the main window: it reads the search settings
// from the "Main" page and the files from the file list, writes lines and
// panel texts to the run display, locks and unlocks the window's switches,
// shows the busy cursor and the caption, and asks for an output file.
#pragma once

#include "search/search_host.h"

#include <string>

class QWidget;

namespace quillo {

class Dialogs;
class EventPump;
class FileListPage;
class RunDisplay;
class SaveDialog;
struct WindowLayout;

class WindowRunHost final : public RunHost {
public:
    WindowRunHost(QWidget& window, const WindowLayout& controls, RunDisplay& display, EventPump& pump,
                  FileListPage& files, SaveDialog& saveDialog, Dialogs& dialogs);
    // Gives the cursor back if a run still holds it.
    ~WindowRunHost() override;
    WindowRunHost(const WindowRunHost&) = delete;
    WindowRunHost& operator=(const WindowRunHost&) = delete;

    // A run starts: relative entries are taken from the current folder of
    // now, and the first refresh lets events run.
    void BeginRun();

    // ScanHost
    void AppendLine(std::string_view line) override;
    void AppendFoundLine(std::string_view line, std::uint32_t lineNumber) override;
    void SetPanelText(int panel, std::string_view text) override;
    void SetApplicationTitle(std::string_view title) override;
    void ProcessEvents() override;

    // RunHost
    void BeginRunLines(std::shared_ptr<const MatchHighlighter> highlighter, bool numbered) override;
    void AppendRunHeader(std::string_view line) override;
    void AppendFileHeader(std::string_view line, std::string_view entry) override;
    void ProcessPendingEvents() override;
    SearchSettings ReadSearchSettings() override;
    std::size_t FileCount() override;
    std::string FileEntry(std::size_t i) override;
    void ShowBusyCursor() override;
    void RestoreCursor() override;
    void ShowErrorMessage(std::string_view text) override;
    void SetSearchButtonEnabled(bool on) override;
    void SetSearchMenuEnabled(bool on) override;
    void SetDropEnabled(bool on) override;
    void SetCancelEnabled(bool on) override;
    void SetSaveEnabled(bool on) override;
    void SetMainPageEnabled(bool on) override;
    void SetCaption(std::string_view caption) override;
    void KeepTitleForFailure() override;
    void Beep() override;
    void ClearSaveDialogName() override;
    std::string AskSaveFileName() override;
    void SaveOutputList(const std::string& fileName) override;

private:
    QWidget& window_;
    const WindowLayout& controls_;
    RunDisplay& display_;
    EventPump& pump_;
    FileListPage& files_;
    SaveDialog& saveDialog_;
    Dialogs& dialogs_;
    std::string folder_; // the current folder when the run started
    bool busy_ = false;
};

} // namespace quillo
