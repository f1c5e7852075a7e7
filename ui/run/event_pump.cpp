#include "ui/run/event_pump.h"

#include <QCoreApplication>

namespace quillo {

void EventPump::PumpNow()
{
    due_ = false;
    ++runs_;
    const Clock::time_point start = Clock::now();
    QCoreApplication::processEvents();
    // Measured from the end: the run gets its Interval however long the
    // events took (a repaint, a dialog).
    last_ = Clock::now();
    busy_ += last_ - start;
}

} // namespace quillo
