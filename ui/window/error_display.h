// The error display at the edge of every event handler: a failure leaving a
// handler is shown in one message box (its message followed by ".", the
// application title as caption, the stop icon) and goes no further, so no
// exception ever reaches Qt's event loop. The program goes on.
#pragma once

#include <functional>

class QWidget;

namespace quillo {

class Dialogs;
class RunDisplay;

class ErrorDisplay {
public:
    ErrorDisplay(Dialogs& dialogs, QWidget& window, RunDisplay& display)
        : dialogs_(dialogs), window_(window), display_(display)
    {
    }

    // Runs the handler; returns whether it completed. The program does not
    // quit before it has returned.
    bool Run(const std::function<void()>& handler);
    // Brings the screen up to date first, so that the box shows over what
    // the handler did before it failed.
    void Show(const char* message) noexcept;

private:
    Dialogs& dialogs_;
    QWidget& window_;
    RunDisplay& display_;
};

} // namespace quillo
