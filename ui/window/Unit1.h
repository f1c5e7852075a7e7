// The main window: tool bar, the "Main", "File List" and "Output List" pages,
// status bar and main menu. It hosts the search run.
//
// TForm1 holds the window's event handlers; each duty behind them has a room
// of its own, owned here:
//   window_layout      the controls, their names, captions, places, tab order
//   run_display        the output lines and panel texts, presented per frame
//   output_list_actions  copy and open from the output list, the editor
//   find_bar           finding rows of the output list (Ctrl+F)
//   event_pump         events running during a run, paced
//   run_host           what a run reads from and does to the window
//   command_line_host  what the command line does to the window
//   file_list_page     the file list's entries, the list file, dropped files
//   folder_adding      "Add Folder...": its dialog, the tree listed into the list
//   file_dialogs       OpenDialog1 and SaveDialog1 with the names they offer
//   startup_and_close  the settings file from start-up to close
//   error_display      failures leaving a handler
//   key_routing        menu shortcuts and tool-button letters
#pragma once

#include "search/output/output_store.h"
#include "ui/window/command_line_host.h"
#include "ui/window/error_display.h"
#include "ui/run/event_pump.h"
#include "ui/dialogs/file_dialogs.h"
#include "ui/window/file_list_page.h"
#include "ui/window/folder_adding.h"
#include "ui/window/key_routing.h"
#include "ui/output/output_list_actions.h"
#include "ui/run/run_display.h"
#include "ui/run/run_host.h"
#include "ui/window/startup_and_close.h"
#include "ui/window/window_layout.h"

#include <QMainWindow>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillo {

class Dialogs;
class OutputView;
class TIniFile;
struct FileFilter;

// The output list's lines, made before the controls: the list's view draws
// from them.
struct OutputLinesHolder {
    explicit OutputLinesHolder(std::uint64_t capacity) : outputLines_(capacity) {}
    OutputLineStore outputLines_;
};

// The controls are the window's own members (WindowLayout), named as their
// object names.
class TForm1 : public QMainWindow, private OutputLinesHolder, private WindowLayout {
    Q_OBJECT
public:
    // outputCapacity: bytes the output list may hold before it refuses lines.
    explicit TForm1(Dialogs& dialogs, std::uint64_t outputCapacity = OutputLineStore::DefaultCapacity(),
                    QWidget* parent = nullptr);
    ~TForm1() override;

    // Event handlers. They may raise failures; the connections to the
    // controls show those through the error display (see Invoke).
    //
    // FormCreate runs once, before the window is first shown: dropping on,
    // caption and title, operator "And", the settings object and the options
    // it holds, the "Word Counting" rule, the list file when "Load file list
    // on startup" is on, and last the command line (which may run searches).
    void FormCreate();
    // Runs for every close of the window that is carried out: asks a run to
    // stop, writes the options and releases the settings object. When the
    // settings cannot be written the close does not take place the first
    // time; a later close of the window goes through without them.
    void FormClose();
    void CmdOpenClick();
    void CmdSaveClick();
    void CmdClearClick();
    void CmdSearchClick();
    void CmdCancelClick();
    void CmdAboutClick();
    void FString1Change();
    void FString2Change();
    void OptionOneInstanceClick();
    void Exit1Click();
    // File > Editor...: the editor's command line, in the "Editor" dialog.
    void mEditorClick();
    void cmdFLClearClick();
    void cmdFLDeleteClick();
    void cmdFLSaveClick();
    void cmdFLLoadClick();
    void cmdFLAddFolderClick();
    void FileDrag1Drop();

    // Runs a handler the way an event does: a failure leaving it is shown by
    // the error display and goes no further. Returns whether it completed.
    bool Invoke(void (TForm1::*handler)());
    bool Invoke(const std::function<void()>& handler);

    // The file list: entries are 8-bit strings, kept byte for byte.
    std::size_t FileCount() const { return fileListPage_.Count(); }
    std::string FileEntry(std::size_t i) const { return fileListPage_.Entry(i); }
    std::vector<std::string> FileEntries() const { return fileListPage_.Entries(); }
    // Raises "Unable to insert a line" when the list is full.
    void AppendFileEntry(const std::string& entry) { fileListPage_.Append(entry); }
    // Replaces the whole list by the list file's entries; the list is emptied
    // only once the file has been read.
    void LoadFileList(const std::string& listFile) { fileListPage_.Load(listFile); }
    // The most entries the list takes (the list box's limit unless a test
    // sets a smaller one).
    static constexpr int MaxFileEntries = FileListPage::MaxEntries;
    void SetFileListLimit(int limit) noexcept { fileListPage_.SetLimit(limit); }
    bool DropEnabled() const noexcept;
    // How long a folder or pattern listing runs before its progress shows.
    void SetListingProgressAfter(ListingProgressDialog::Clock::duration after) noexcept
    {
        folderAdding_.SetProgressShowAfter(after);
        commandLine_.SetProgressShowAfter(after);
    }
    TFileDrag* DropTarget() const noexcept { return FileDrag1; }

    // The list file: the program's base name with ".lst", beside the program
    // or in the user's configuration folder.
    const std::string& FileListFile() const noexcept { return fileListPage_.ListFile(); }
    void SetFileListFile(std::string path) { fileListPage_.SetListFile(std::move(path)); }

    // The settings file FormCreate binds the settings object to: beside the
    // executable with ".ini" unless set otherwise before FormCreate.
    void SetSettingsFile(std::string path) { startupAndClose_.SetSettingsFile(std::move(path)); }
    // The settings object, from FormCreate until a completed FormClose.
    const TIniFile* Settings() const noexcept { return startupAndClose_.Settings(); }

    // The program's parameters (without its own name, no empty ones), applied
    // by FormCreate.
    void SetCommandLine(std::vector<std::string> parameters) { commandLine_.SetParameters(std::move(parameters)); }
    // Whether FormCreate is still running (start-up, "/GO" runs included).
    bool Starting() const noexcept { return startupAndClose_.Starting(); }
    // A close carried out during start-up: the options are written then, and
    // the program ends once start-up has finished.
    bool ClosedWhileStarting() const noexcept { return startupAndClose_.ClosedWhileStarting(); }

    // The output list and the status panels as data: always current, also
    // while the screen has not caught up yet.
    const OutputLineStore& OutputLines() const noexcept { return display_.Lines(); }
    OutputView* OutputListView() const noexcept { return SearchList; }
    QString PanelText(int panel) const { return display_.PanelText(panel); }
    // Brings the screen up to date now instead of at the next frame.
    void FlushDisplay() noexcept { display_.Flush(); }
    // What a run does to the window.
    void AppendLine(std::string_view line) { runHost_.AppendLine(line); }
    void SetPanelText(int panel, std::string_view text) { runHost_.SetPanelText(panel, text); }
    void ProcessEvents() { runHost_.ProcessEvents(); }
    void ProcessPendingEvents() { runHost_.ProcessPendingEvents(); }
    // How often events have run inside ProcessEvents and ProcessPendingEvents,
    // and how long they took in all.
    std::uint64_t EventRuns() const noexcept { return pump_.Runs(); }
    EventPump::Clock::duration EventTime() const noexcept { return pump_.Busy(); }
    void SetSaveEnabled(bool on) { runHost_.SetSaveEnabled(on); }

    // The names the open and save dialogs remember.
    const QString& OpenDialogName() const noexcept { return OpenDialog1.FileName(); }
    // The editor the output list opens found lines in; empty: the desktop's default.
    const std::string& EditorCommand() const noexcept { return outputActions_.EditorCommand(); }
    OutputListActions& OutputActions() noexcept { return outputActions_; }
    const QString& SaveDialogName() const noexcept { return SaveDialog1.FileName(); }
    static const QList<FileFilter>& OpenFilters() { return OpenDialog::Filters(); }
    static const QList<FileFilter>& SaveFilters() { return SaveDialog::Filters(); }

    // Pixel sizes of the layout are multiplied by these where the font is
    // larger than the one the layout was drawn for.
    double ScaleX() const noexcept { return Scale.x; }
    double ScaleY() const noexcept { return Scale.y; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    const WindowLayout& Controls() const noexcept { return *this; }
    // Which handler each control's event runs.
    void ConnectHandlers();
    // After files were added by Open or Add Folder: Search from string 1,
    // and "Start" as the button will be.
    void EnableSearchAfterAdding();
    // The output list's find bar and its settings sections.
    void ConnectOutputExtras();

    Dialogs& dialogs_;
    RunDisplay display_;
    EventPump pump_;
    OutputListActions outputActions_;
    ErrorDisplay errors_;
    OpenDialog OpenDialog1;
    SaveDialog SaveDialog1;
    FileListPage fileListPage_;
    WindowRunHost runHost_;
    WindowCommandLineHost commandLine_;
    StartupAndClose startupAndClose_;
    FolderAdding folderAdding_;
    KeyRouter keys_; // last: takes keys only once everything is in place
};

// The one main window, from its creation at program start to the end.
inline TForm1* Form1 = nullptr;

} // namespace quillo
