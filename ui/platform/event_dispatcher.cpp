#include "ui/platform/event_dispatcher.h"

#include <QByteArray>
#include <QtGlobal>

namespace quillo {

void UseLeanEventDispatcher()
{
    if (qEnvironmentVariableIsEmpty("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", QByteArrayLiteral("1"));
}

} // namespace quillo
