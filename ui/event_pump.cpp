#include "ui/event_pump.h"

#include <QCoreApplication>

namespace quillo {

void EventPump::Pump()
{
    QCoreApplication::processEvents();
}

} // namespace quillo
