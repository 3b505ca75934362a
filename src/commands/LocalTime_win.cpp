#include "LocalTime.h"

namespace lettore {

std::tm localTime(std::time_t seconds)
{
    std::tm local{};
    localtime_s(&local, &seconds);
    return local;
}

}  // namespace lettore
