// What the output list does for the user besides showing lines: Copy and
// Copy All (the view's context menu and Ctrl+Insert) and Open, which opens the
// file a line was found in with the desktop's default application for it.
// Every command runs through the window's runner, so that a failure is shown
// like any handler's.
#pragma once

#include <QObject>
#include <QUrl>

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

    // Takes the view's open requests (double-click, Enter) and gives it the
    // runner for its copy commands.
    OutputListActions(OutputView& view, const HeaderRows& headers, Dialogs& dialogs, Runner runner);

    // Opens the file of the nearest file header at or above the row. Only a
    // beep when there is none (a run's "New Search" line, or lines whose
    // header a Clear took away) or the file no longer exists.
    void Open(int row);

private:
    OutputView& view_;
    const HeaderRows& headers_;
    Dialogs& dialogs_;
    Runner runner_;
};

// A path's bytes as a file:// address, every byte kept (percent-encoded).
QUrl FileUrl(const std::string& path);

} // namespace quillo
