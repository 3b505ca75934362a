#include "FrameReader.h"

namespace lettore {

namespace {

using Kind = FrameReader::Part::Kind;

bool isTolvaneRequestEnd(char c) { return c == Frame::ETX || c == Frame::ENQ; }

}  // namespace

std::vector<FrameReader::Part> FrameReader::push(std::string_view bytes)
{
    std::vector<Part> parts;
    for (const char c : bytes) {
        take(c, parts);
        ++m_offset;
    }
    return parts;
}

std::vector<FrameReader::Part> FrameReader::finish(Frame::Rule next)
{
    std::vector<Part> parts;
    giveNoise(parts);
    if (!m_frame.empty())
        parts.push_back({Kind::Unfinished, m_frameBegin, std::move(m_frame)});
    m_frame.clear();
    m_state = State::Between;
    m_rule = next;
    return parts;
}

void FrameReader::take(char c, std::vector<Part>& parts)
{
    const bool request = m_rule == Frame::Rule::Request;
    switch (m_state) {
    case State::InFrame:
        m_frame += c;
        if (request && c == Frame::EOT && m_frame[m_frame.size() - 2] == Frame::EOT) {
            // A Tolvane request starts: the frame begun is given up.
            m_frame.resize(m_frame.size() - 2);
            parts.push_back({Kind::Noise, m_frameBegin, std::move(m_frame)});
            m_frame.clear();
            m_state = State::Between;
            startFrame(State::TolvaneRequest, std::string(2, Frame::EOT), parts);
        } else if (c == (m_rule == Frame::Rule::Tolvane ? Frame::TolvaneEnd : Frame::ETX)) {
            if (m_rule == Frame::Rule::Tolvane)
                endFrame(false, parts);
            else
                m_state = State::CheckChar;
        } else if (endsCutShort(c)) {
            endFrame(true, parts);
        } else if (m_frame.size() >= MaxFrameBytes - 1) {
            // No room left for the end (and the check character): the
            // frame goes on from the first start inside it, if any.
            const std::size_t inner = m_frame.find(startChar(), 1);
            if (inner == std::string::npos) {
                overlong(false, parts);
            } else {
                parts.push_back({Kind::Noise, m_frameBegin, m_frame.substr(0, inner)});
                m_frame.erase(0, inner);
                m_frameBegin += inner;
            }
        }
        return;
    case State::CheckChar:
        m_frame += c;
        endFrame(false, parts);
        return;
    case State::TolvaneRequest:
        m_frame += c;
        if (isTolvaneRequestEnd(c)) {
            parts.push_back({Kind::Frame, m_frameBegin, std::move(m_frame), true});
            m_frame.clear();
            m_state = State::Between;
        } else if (m_frame.size() >= MaxFrameBytes - 1) {
            overlong(true, parts);
        }
        return;
    case State::SkippingCheck:
        addNoise(c, parts);
        m_state = State::Between;
        return;
    case State::SkippingOverlong:
    case State::Between: break;
    }

    // Outside a frame, or in the rest of an overlong one: a start character
    // starts a frame.
    if (c == startChar()) {
        startFrame(State::InFrame, std::string(1, c), parts);
        return;
    }
    if (request && c == Frame::EOT && !m_noise.empty() && m_noise.back() == Frame::EOT) {
        m_noise.pop_back();
        startFrame(State::TolvaneRequest, std::string(2, Frame::EOT), parts);
        return;
    }
    if (m_state == State::Between) {
        if (c == Frame::ACK || c == Frame::NAK) {
            giveNoise(parts);
            parts.push_back({Kind::Lone, m_offset, std::string(1, c)});
        } else {
            addNoise(c, parts);
        }
        return;
    }
    // The end of an overlong frame ends the skipping, or its check character does.
    addNoise(c, parts);
    if (m_skippingTolvaneRequest) {
        if (isTolvaneRequestEnd(c))
            m_state = State::Between;
    } else if (endsCutShort(c) || (m_rule == Frame::Rule::Tolvane && c == Frame::TolvaneEnd)) {
        m_state = State::Between;
    } else if (m_rule != Frame::Rule::Tolvane && c == Frame::ETX) {
        m_state = State::SkippingCheck;
    }
}

void FrameReader::overlong(bool tolvaneRequest, std::vector<Part>& parts)
{
    parts.push_back({Kind::Overlong, m_frameBegin, std::move(m_frame)});
    m_frame.clear();
    m_skippingTolvaneRequest = tolvaneRequest;
    m_state = State::SkippingOverlong;
}

// `opening` is the frame's first bytes; its last one is the byte being taken.
void FrameReader::startFrame(State state, std::string opening, std::vector<Part>& parts)
{
    giveNoise(parts);
    m_frameBegin = m_offset + 1 - opening.size();
    m_frame = std::move(opening);
    m_state = state;
}

// A frame that fails its check is taken from the first start character
// inside it whose frame passes, else from the last one; before it is noise.
// The end character, and the check character after it, are never starts.
void FrameReader::endFrame(bool cutShort, std::vector<Part>& parts)
{
    const Frame::Rule checkRule = m_rule == Frame::Rule::Tolvane ? Frame::Rule::Tolvane : Frame::Rule::Stx;
    const std::string_view frame(m_frame);
    bool accepted = Frame::accepted(frame, checkRule);
    std::size_t from = 0;
    const std::size_t endAt = frame.size() - (cutShort || m_rule == Frame::Rule::Tolvane ? 1 : 2);
    for (std::size_t i = 1; !accepted && i < endAt; ++i) {
        if (frame[i] != startChar())
            continue;
        from = i;
        accepted = Frame::accepted(frame.substr(i), checkRule);
    }
    if (from > 0)
        parts.push_back({Kind::Noise, m_frameBegin, m_frame.substr(0, from)});
    parts.push_back({Kind::Frame, m_frameBegin + from, m_frame.substr(from), accepted, cutShort});
    m_frame.clear();
    m_state = State::Between;
}

void FrameReader::addNoise(char c, std::vector<Part>& parts)
{
    if (m_noise.empty())
        m_noiseBegin = m_offset;
    m_noise += c;
    if (m_noise.size() >= MaxFrameBytes)
        giveNoise(parts);
}

void FrameReader::giveNoise(std::vector<Part>& parts)
{
    if (m_noise.empty())
        return;
    parts.push_back({Kind::Noise, m_noiseBegin, std::move(m_noise)});
    m_noise.clear();
}

std::vector<std::string> FrameReader::checkedFrames(std::string_view input)
{
    FrameReader reader;
    std::vector<Part> parts = reader.push(input);
    std::vector<std::string> frames;
    for (Part& part : parts)
        if (part.kind == Kind::Frame && part.accepted && !part.cutShort)
            frames.push_back(std::move(part.bytes));
    return frames;
}

}  // namespace lettore
