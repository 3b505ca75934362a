#include "BadgeCode.h"

namespace lettore {

std::string BadgeCode::fromNumber(int number)
{
    const std::string digits = std::to_string(number);
    return digits.size() >= Length ? digits : std::string(Length - digits.size(), '0') + digits;
}

}  // namespace lettore
