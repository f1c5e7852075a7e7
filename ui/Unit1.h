// The main window: tool bar, the "Main", "File List" and "Output List" pages,
// status bar and main menu. It hosts the search run.
#pragma once

#include "app/command_line.h"
#include "search/output_store.h"
#include "search/search_host.h"

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QMainWindow>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QAbstractButton;
class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QMenuBar;
class QPushButton;
class QStatusBar;
class QToolButton;
class TFileDrag;

namespace quillo {

class Dialogs;
class TIniFile;
class OutputListModel;
class OutputListView;
class PageControl;
class StatusPanel;
struct FileFilter;
struct OpenFilesRequest;
struct SaveFileRequest;

class TForm1 : public QMainWindow, public RunHost, public CommandLineHost {
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
    // settings cannot be written the close does not take place.
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
    void cmdFLClearClick();
    void cmdFLDeleteClick();
    void cmdFLSaveClick();
    void cmdFLLoadClick();
    void FileDrag1Drop();

    // Runs a handler the way an event does: a failure leaving it is shown by
    // the error display and goes no further. Returns whether it completed.
    bool Invoke(void (TForm1::*handler)());
    bool Invoke(const std::function<void()>& handler);

    // The file list: entries are 8-bit strings, kept byte for byte.
    std::size_t FileCount() override;
    std::string FileEntry(std::size_t i) override;
    std::vector<std::string> FileEntries() const;
    // Raises "Unable to insert a line" when the list is full.
    void AppendFileEntry(const std::string& entry) override;
    // Replaces the whole list by the list file's entries; the list is emptied
    // only once the file has been read.
    void LoadFileList(const std::string& listFile) override;
    // The most entries the list takes (the list box's limit unless a test
    // sets a smaller one).
    static constexpr int MaxFileEntries = 2147483647;
    void SetFileListLimit(int limit) noexcept { fileListLimit_ = limit; }
    bool DropEnabled() const noexcept;
    TFileDrag* DropTarget() const noexcept { return FileDrag1; }

    // The list file: beside the executable, with its base name and ".lst".
    const std::string& FileListFile() const noexcept { return fileListFile_; }
    void SetFileListFile(std::string path) { fileListFile_ = std::move(path); }

    // The settings file FormCreate binds the settings object to: beside the
    // executable with ".ini" unless set otherwise before FormCreate.
    void SetSettingsFile(std::string path) { settingsFile_ = std::move(path); }
    // The settings object, from FormCreate until a completed FormClose.
    const TIniFile* Settings() const noexcept { return SettingsStore.get(); }

    // The program's parameters (without its own name, no empty ones), applied
    // by FormCreate.
    void SetCommandLine(std::vector<std::string> parameters) { commandLine_ = std::move(parameters); }
    // Whether FormCreate is still running (start-up, "/GO" runs included).
    bool Starting() const noexcept { return starting_; }
    // A close carried out during start-up: the options are written then, and
    // the program ends once start-up has finished.
    bool ClosedWhileStarting() const noexcept { return closedWhileStarting_; }

    // CommandLineHost
    void ShowWrongFilename() override;
    void SetString1(const std::string& text) override;
    void SetString2(const std::string& text) override;
    void SelectOperator(int index) override;
    bool SearchEnabled() override;
    void SetSearchEnabled(bool on) override;
    void RunSearchFromCommandLine() override;

    // The output list and the status panels as data: always current, also
    // while the screen has not caught up yet.
    const OutputLineStore& OutputLines() const noexcept { return store_; }
    OutputListModel* OutputModel() const noexcept { return model_; }
    QString PanelText(int panel) const;
    // Brings the screen up to date now instead of at the next frame.
    void FlushDisplay() noexcept;

    // The names the open and save dialogs remember.
    const QString& OpenDialogName() const noexcept { return openName_; }
    const QString& SaveDialogName() const noexcept { return saveName_; }
    static const QList<FileFilter>& OpenFilters();
    static const QList<FileFilter>& SaveFilters();

    // Pixel sizes of the layout are multiplied by these where the font is
    // larger than the one the layout was drawn for.
    double ScaleX() const noexcept { return sx_; }
    double ScaleY() const noexcept { return sy_; }

    // RunHost
    void AppendLine(std::string_view line) override;
    void SetPanelText(int panel, std::string_view text) override;
    void SetApplicationTitle(std::string_view title) override;
    void ProcessEvents() override;
    SearchSettings ReadSearchSettings() override;
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
    void Beep() override;
    void ClearSaveDialogName() override;
    std::string AskSaveFileName() override;
    void SaveOutputList(const std::string& fileName) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildToolBar();
    void BuildMainPage(QWidget* page);
    void BuildFileListPage(QWidget* page);
    void BuildStatusBar();
    void BuildMenu();
    void Connect(QAbstractButton* button, void (TForm1::*handler)());
    void Connect(QAction* item, QMenu* menu, void (TForm1::*handler)());
    QRect Scaled(int left, int top, int width, int height) const;

    void ShowFailure(const char* message) noexcept;
    QCheckBox* OptionBox(std::string_view name) const;
    std::function<void()> RouteKey(const QKeyEvent& key, QWidget* receiver);
    void ActivateMenuItem(QAction* item, QMenu* menu);
    void ClickToolButton(QToolButton* button);
    void ScheduleFrame();
    bool PresentFrame();
    OpenFilesRequest OpenRequest() const;
    SaveFileRequest SaveRequest() const;

    Dialogs& dialogs_;
    OutputLineStore store_;
    double sx_ = 1;
    double sy_ = 1;

    // Controls, named as the window's object names.
    QFrame* Panel2 = nullptr;
    QToolButton* CmdOpen = nullptr;
    QToolButton* CmdSave = nullptr;
    QToolButton* CmdClear = nullptr;
    QToolButton* CmdSearch = nullptr;
    QToolButton* CmdCancel = nullptr;
    QToolButton* CmdAbout = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    PageControl* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* OutputList = nullptr;
    QWidget* MainPage = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* FString1 = nullptr;
    QComboBox* FOperator = nullptr;
    QLineEdit* FString2 = nullptr;
    QCheckBox* OptionLineCount = nullptr;
    QCheckBox* OptionWordCount = nullptr;
    QCheckBox* OptionProgress = nullptr;
    QCheckBox* OptionNumbering = nullptr;
    QCheckBox* OptionLoadList = nullptr;
    QCheckBox* OptionClearAll = nullptr;
    QCheckBox* OptionCase = nullptr;
    QCheckBox* OptionReverse = nullptr;
    QCheckBox* OptionSave = nullptr;
    QCheckBox* OptionUnixFile = nullptr;
    QCheckBox* OptionOneInstance = nullptr;
    QListWidget* FileList = nullptr;
    QPushButton* cmdFLClear = nullptr;
    QPushButton* cmdFLDelete = nullptr;
    QPushButton* cmdFLSave = nullptr;
    QPushButton* cmdFLLoad = nullptr;
    OutputListView* SearchList = nullptr;
    QStatusBar* StatusBar = nullptr;
    std::array<StatusPanel*, 4> panels_{};
    QMenuBar* MainMenu1 = nullptr;
    QMenu* File1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* mSave = nullptr;
    QAction* N1 = nullptr;
    QAction* Exit1 = nullptr;
    QMenu* mSearch = nullptr;
    QAction* mStart = nullptr;
    QAction* mCancel = nullptr;
    QAction* mClear = nullptr;
    QMenu* About1 = nullptr;
    QAction* About2 = nullptr;
    TFileDrag* FileDrag1 = nullptr;

    OutputListModel* model_ = nullptr;
    std::unique_ptr<TIniFile> SettingsStore;
    std::string settingsFile_;
    std::vector<std::string> commandLine_;
    bool starting_ = false;
    bool closedWhileStarting_ = false;
    std::string fileListFile_;
    int fileListLimit_ = MaxFileEntries;
    bool busy_ = false;
    QString openName_; // OpenDialog1's file name
    QString saveName_; // SaveDialog1's file name

    QBasicTimer frame_;
    QElapsedTimer clock_;
    qint64 lastRowFlush_ = 0;
};

// The one main window, from its creation at program start to the end.
inline TForm1* Form1 = nullptr;

} // namespace quillo
