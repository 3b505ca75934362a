#include "LocalTime.h"

namespace lettore {

std::tm localTime(std::time_t seconds)
{
    std::tm local{};
    localtime_r(&seconds, &local);
    return local;
}

}  // namespace lettore
