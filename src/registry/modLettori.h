#pragma once

#include "Clock.h"
#include "Port.h"
#include "clsLettori.h"

#include <functional>
#include <memory>

namespace lettore {

// The platform the process-wide registry is built on: a factory for the
// serial port, the millisecond clock and the event loop's yield hook.
struct Platform {
    std::function<std::unique_ptr<Port>()> makePort;
    Clock* clock = nullptr;
    std::function<void()> yieldToEventLoop;
};

// Installs the platform once, at program start, before the first reference
// to Lettori(). Returns false, changing nothing, once the registry exists.
bool installPlatform(Platform platform);

// The process-wide registry, created on first reference from the installed
// platform and kept until the process ends. Throws std::logic_error when no
// platform was installed: a program that reaches the registry without one
// is wrong, not unlucky.
clsLettori& Lettori();

}  // namespace lettore
