#pragma once

#include "ByteChannel.h"
#include "Clock.h"
#include "clsLettori.h"

#include <functional>
#include <memory>
#include <string>

namespace lettore {

// The platform the process-wide registry is built on: the opener of the
// port an address names, the millisecond clock, the event loop's yield hook and the
// sound player (given an existing file; asynchronous or to the end).
struct Platform {
    PortOpener openPort;
    Clock* clock = nullptr;
    std::function<void()> yieldToEventLoop;
    std::function<void(const std::string& file, bool async)> playSound;
};

// Installs the platform once, at program start, before the first reference
// to Lettori(). Returns false, changing nothing, once the registry exists.
bool installPlatform(Platform platform);

// The process-wide registry, created on first reference from the installed
// platform and kept until the process ends. Throws std::logic_error when no
// platform was installed: a program that reaches the registry without one
// is wrong, not unlucky.
clsLettori& Lettori();

// Destroys the registry, its link closing the port first, so that a
// program can release the port before its platform (the Qt application)
// goes away. A reference to Lettori() afterwards throws std::logic_error.
void releaseLettori();

// Plays a sound file named relative to the current directory: silently
// nothing when no such file exists or no player is installed.
void RiproduciSuono(const std::string& fileName, bool async);

}  // namespace lettore
