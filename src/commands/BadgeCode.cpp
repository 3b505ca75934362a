#include "BadgeCode.h"

namespace lettore {

std::string BadgeCode::fromNumber(int number) { return padded(std::to_string(number)); }

std::string BadgeCode::padded(const std::string& digits)
{
    return digits.size() >= Length ? digits : std::string(Length - digits.size(), '0') + digits;
}

}  // namespace lettore
