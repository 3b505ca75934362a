#pragma once

#include <cstdint>

namespace lettore {

// Lets `ms` pass with Qt's event loop running, so that the port's
// notifications, requests to end and the windows are served meanwhile: a
// test run's pause between two polls of a reader.
void pauseServingEvents(uint32_t ms);

}  // namespace lettore
