#include "ui/window/error_display.h"

#include "ui/platform/app_title.h"
#include "ui/dialogs/dialogs.h"
#include "ui/run/run_display.h"

#include <QEventLoopLocker>

#include <exception>
#include <new>

namespace quillo {

bool ErrorDisplay::Run(const std::function<void()>& handler)
{
    // A close of the window while the handler runs (through a search run's
    // event processing) ends the program only once the handler is done: its
    // save prompt and its error box get working modal loops, and the quit
    // comes when this lock is let go.
    const QEventLoopLocker holdQuit;
    try {
        handler();
        // A title kept for a failure that something on the way caught.
        ForgetTitleForFailure();
        return true;
    } catch (const std::bad_alloc&) {
        Show("Out of memory");
    } catch (const std::exception& failure) {
        Show(failure.what());
    } catch (...) {
        Show("Unknown failure");
    }
    return false;
}

void ErrorDisplay::Show(const char* message) noexcept
{
    try {
        display_.Flush();
        dialogs_.ShowFailure(&window_, FailureCaption(), QString::fromLocal8Bit(message) + QLatin1Char('.'));
    } catch (...) {
        // Nothing is left to report it with.
    }
}

} // namespace quillo
