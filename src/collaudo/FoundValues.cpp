#include "FoundValues.h"

namespace lettore {

namespace {

constexpr char Open[] = "${";

}  // namespace

void FoundValues::set(const std::string& step, const std::string& field, const std::string& value)
{
    m_values[step + "." + field] = value;
}

std::optional<std::string> FoundValues::resolve(const std::string& text, std::string* missing) const
{
    std::string out;
    std::size_t at = 0;
    while (true) {
        const std::size_t open = text.find(Open, at);
        if (open == std::string::npos)
            return out + text.substr(at);
        const std::size_t close = text.find('}', open);
        const std::string name
            = text.substr(open + 2, close == std::string::npos ? std::string::npos : close - open - 2);
        const auto value = m_values.find(name);
        if (close == std::string::npos || value == m_values.end()) {
            if (missing)
                *missing = name;
            return std::nullopt;
        }
        out += text.substr(at, open - at) + value->second;
        at = close + 1;
    }
}

std::vector<std::string> FoundValues::references(const std::string& text)
{
    std::vector<std::string> names;
    for (std::size_t open = text.find(Open); open != std::string::npos; open = text.find(Open, open + 2)) {
        const std::size_t close = text.find('}', open);
        names.push_back(text.substr(open + 2, close == std::string::npos ? std::string::npos : close - open - 2));
        if (close == std::string::npos)
            break;
    }
    return names;
}

}  // namespace lettore
