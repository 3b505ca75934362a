#pragma once

#include "ReaderBus.h"
#include "ReaderSettings.h"

#include <string>
#include <vector>

namespace lettore::sim {

// The program's command line.
struct SimOptions {
    std::vector<ReaderSettings> readers;  // one at address 1 when none given
    LineSettings line;
    std::string linkPath;
    // tcp://HOST:PORT or rfc2217://HOST:PORT: the line served over the
    // network too; "" for none.
    std::string listen;
    std::string logPath;  // "-": standard error
    bool help = false;

    // Throws std::invalid_argument with a readable message.
    static SimOptions parse(const std::vector<std::string>& arguments);
    static std::string helpText();
};

}  // namespace lettore::sim
