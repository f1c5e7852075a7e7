// Lets pending window events run while a search run holds the one thread:
// clicks (Cancel), paints, menu commands, the frame timer.
#pragma once

namespace quillo {

class EventPump {
public:
    // The run calls this every ten lines and once more at its end.
    void Pump();
};

} // namespace quillo
