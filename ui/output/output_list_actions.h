// What the output list does for the user besides showing lines: Copy and
// Copy All (the view's context menu and Ctrl+Insert), and leading from a line
// to its file: Open (double-click, Enter, "Open at Line") opens a found line's
// file at that line in the user's editor, or a header's file at its top;
// "Open Containing Folder" and "Copy File Path". Every command runs through
// the window's runner, so that a failure is shown like any handler's.
#pragma once

#include <QObject>
#include <QUrl>

#include <cstdint>
#include <functional>
#include <string>

namespace quillo {

class Dialogs;
class HeaderRows;
class OutputView;

class OutputListActions : public QObject {
    Q_OBJECT
public:
    using Runner = std::function<void(const std::function<void()>&)>;

    // Takes the view's open requests (double-click, Enter), gives it the
    // runner for its copy commands and adds the file commands to its menu.
    OutputListActions(OutputView& view, const HeaderRows& headers, Dialogs& dialogs, Runner runner);

    // The editor's command line ([Editor] Command); empty: the desktop's
    // default application for the file, without a line.
    const std::string& EditorCommand() const noexcept { return editorCommand_; }
    void SetEditorCommand(std::string command) { editorCommand_ = std::move(command); }

    // Opens the file of the nearest file header at or above the row, at the
    // row's line when it is a found line. Only a beep when there is none (a
    // run's "New Search" line, or lines whose header a Clear took away) or
    // the file no longer exists. An editor that cannot be started: "Cannot
    // start the editor: " and the command, in an error message.
    void Open(int row);
    // The desktop's file manager on the folder of the row's file.
    void OpenFolder(int row);
    // The row's file's path to the clipboard.
    void CopyPath(int row);

private:
    // The row's file when it exists, else nullptr (after a beep).
    const std::string* ExistingFile(int row);

    OutputView& view_;
    const HeaderRows& headers_;
    Dialogs& dialogs_;
    Runner runner_;
    std::string editorCommand_;
};

// A path's bytes as a file:// address, every byte kept (percent-encoded).
QUrl FileUrl(const std::string& path);

} // namespace quillo
