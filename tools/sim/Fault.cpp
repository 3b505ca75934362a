#include "Fault.h"

#include <array>
#include <stdexcept>
#include <utility>

namespace lettore::sim {

namespace {

constexpr std::array<std::pair<Fault, std::string_view>, 8> names{{
    {Fault::None, "none"},
    {Fault::Silent, "silent"},
    {Fault::BadBcc, "badbcc"},
    {Fault::Noise, "noise"},
    {Fault::Garble, "garble"},
    {Fault::Split, "split"},
    {Fault::Late, "late"},
    {Fault::Drop, "drop"},
}};

}  // namespace

Fault parseFault(std::string_view name)
{
    for (const auto& [fault, text] : names)
        if (text == name)
            return fault;
    throw std::invalid_argument("unknown fault \"" + std::string(name) + "\"");
}

std::string faultName(Fault fault)
{
    for (const auto& [value, text] : names)
        if (value == fault)
            return std::string(text);
    return "?";
}

}  // namespace lettore::sim
