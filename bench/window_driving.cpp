#include "window_driving.h"

namespace bench {

quillo::MsgButton QuietDialogs::MessageDialog(QWidget*, quillo::MsgKind, const QString& text, quillo::MsgButtons)
{
    Fail("the window showed a message: " + text.toStdString());
}

quillo::MsgButton QuietDialogs::MessageBox(QWidget*, const QString&, const QString& text, quillo::MsgIcon,
                                           quillo::MsgButtons, quillo::MsgButton)
{
    Fail("the window showed a message: " + text.toStdString());
}

void QuietDialogs::ShowFailure(QWidget*, const QString&, const QString& text)
{
    Fail("the window showed a failure: " + text.toStdString());
}

} // namespace bench
