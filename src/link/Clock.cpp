#include "Clock.h"

#include <chrono>

namespace lettore {

uint32_t SteadyClock::nowMs()
{
    using namespace std::chrono;
    auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<uint32_t>(ms);
}

}  // namespace lettore
