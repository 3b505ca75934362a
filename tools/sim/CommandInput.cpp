#include "CommandInput.h"

#include <algorithm>

namespace lettore::sim {

std::vector<CommandInput::Line> CommandInput::feed(std::string_view bytes)
{
    std::vector<Line> lines;
    while (!bytes.empty() && !m_givenUp) {
        // The line's bytes in this read: up to its end, or all of them.
        const std::size_t length = std::min(bytes.find('\n'), bytes.size());
        const bool ended = length < bytes.size();
        if (!m_dropped && m_line.size() + length > MaxLineBytes) {
            // Told as soon as it is too long, and not kept.
            lines.push_back({Line::Kind::TooLong, {}});
            m_dropped = m_line.size();
            m_line.clear();
            m_line.shrink_to_fit();
        }
        if (m_dropped) {
            *m_dropped += length;
            if (*m_dropped > MaxDroppedBytes) {
                m_givenUp = true;
                lines.push_back({Line::Kind::GivenUp, {}});
            } else if (ended) {
                m_dropped.reset();
            }
        } else {
            m_line.append(bytes.substr(0, length));
            if (ended) {
                if (!m_line.empty() && m_line.back() == '\r')
                    m_line.pop_back();
                lines.push_back({Line::Kind::Command, std::move(m_line)});
                m_line.clear();
            }
        }
        bytes.remove_prefix(ended ? length + 1 : length);
    }
    return lines;
}

std::optional<CommandInput::Line> CommandInput::finish()
{
    if (m_givenUp || m_dropped || m_line.empty())
        return std::nullopt;
    Line last{Line::Kind::Command, std::move(m_line)};
    m_line.clear();
    return last;
}

}  // namespace lettore::sim
