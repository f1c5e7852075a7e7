#include "ui/platform/main_loop.h"

#include "ui/window/Unit1.h"

#include <QApplication>

namespace quillo {

int RunMainWindow(TForm1& form)
{
    form.Invoke(&TForm1::FormCreate);
    // A close carried out during start-up ends the program here; its options
    // were written then.
    if (form.ClosedWhileStarting())
        return 0;
    form.show();
    // Take the keyboard also where nothing else would activate the window
    // (no window manager, or a start-up message box was the active window).
    form.activateWindow();
    QApplication::exec();
    return 0;
}

} // namespace quillo
