#include "Rfc2217Codec.h"

#include <algorithm>
#include <utility>

namespace lettore {

namespace {

// Telnet's command bytes and the options we take part in.
constexpr uint8_t Iac = 255, Sb = 250, Se = 240, Will = 251, Wont = 252, Do = 253, Dont = 254;
constexpr uint8_t Binary = 0, SuppressGoAhead = 3;

constexpr bool accepted(uint8_t option)
{
    return option == Binary || option == SuppressGoAhead || option == Rfc2217Codec::ComPortOption;
}

std::string bytes(std::initializer_list<uint8_t> list) { return std::string(list.begin(), list.end()); }

// RFC 2217's codes for parity and stop bits, in the order of SerialSettings' enumerators.
constexpr uint8_t ParityCodes[] = {1, 3, 2, 4, 5};  // none, even, odd, mark, space
constexpr uint8_t StopCodes[] = {1, 3, 2};  // 1, 1.5, 2
constexpr const char* ParityNames[] = {"?", "N", "O", "E", "M", "S"};
constexpr const char* StopNames[] = {"?", "1", "2", "1.5"};
constexpr uint8_t DtrOn = 8, DtrOff = 9;

// A request's value as words: the server's answer is told in them.
std::string valueWords(uint8_t command, const std::string& value)
{
    const auto byte = [&](size_t i) { return i < value.size() ? static_cast<uint8_t>(value[i]) : 0; };
    switch (command) {
    case Rfc2217Codec::SetBaudRate: {
        uint32_t rate = 0;
        for (size_t i = 0; i < 4; ++i)
            rate = rate << 8 | byte(i);
        return "rate " + std::to_string(rate);
    }
    case Rfc2217Codec::SetDataSize: return std::to_string(byte(0)) + " data bits";
    case Rfc2217Codec::SetParity: return "parity " + std::string(byte(0) < 6 ? ParityNames[byte(0)] : "?");
    case Rfc2217Codec::SetStopSize: return std::string(byte(0) < 4 ? StopNames[byte(0)] : "?") + " stop bits";
    case Rfc2217Codec::SetControl:
        return byte(0) == DtrOn ? "DTR on" : byte(0) == DtrOff ? "DTR off" : "control " + std::to_string(byte(0));
    default: return "value " + std::to_string(byte(0));
    }
}

}  // namespace

std::string Rfc2217Codec::start()
{
    std::string out;
    for (const uint8_t option : {ComPortOption, Binary, SuppressGoAhead}) {
        m_askedWill[option] = true;
        out += bytes({Iac, Will, option});
    }
    for (const uint8_t option : {Binary, SuppressGoAhead}) {
        m_askedDo[option] = true;
        out += bytes({Iac, Do, option});
    }
    return out;
}

std::string Rfc2217Codec::escaped(std::string_view data)
{
    std::string out;
    out.reserve(data.size());
    for (const char c : data) {
        out += c;
        if (static_cast<uint8_t>(c) == Iac)
            out += c;
    }
    return out;
}

std::string Rfc2217Codec::request(uint8_t command, const std::string& value)
{
    m_pending.push_back({command, value});
    return bytes({Iac, Sb, ComPortOption, command}) + escaped(value) + bytes({Iac, Se});
}

std::string Rfc2217Codec::setSettings(const SerialSettings& s)
{
    const auto rate = static_cast<uint32_t>(s.baudRate);
    return request(SetBaudRate, bytes({static_cast<uint8_t>(rate >> 24), static_cast<uint8_t>(rate >> 16),
                                       static_cast<uint8_t>(rate >> 8), static_cast<uint8_t>(rate)}))
           + request(SetDataSize, bytes({static_cast<uint8_t>(s.dataBits)}))
           + request(SetParity, bytes({ParityCodes[static_cast<int>(s.parity)]}))
           + request(SetStopSize, bytes({StopCodes[static_cast<int>(s.stopBits)]}));
}

std::string Rfc2217Codec::setDtr(bool on)
{
    std::erase_if(m_pending, [](const Request& r) { return r.command == SetControl; });
    return request(SetControl, bytes({on ? DtrOn : DtrOff}));
}

std::string Rfc2217Codec::feed(std::string_view input)
{
    std::string data;
    for (const char c : input) {
        const auto b = static_cast<uint8_t>(c);
        switch (m_state) {
        case State::Data:
            if (b == Iac)
                m_state = State::Iac;
            else
                data += c;
            break;
        case State::Iac:
            m_state = State::Data;
            if (b == Iac) {
                data += c;
            } else if (b == Sb) {
                m_sub.clear();
                m_state = State::Sub;
            } else if (b >= Will && b <= Dont) {
                m_verb = b;
                m_state = State::Option;
            }
            // Any other command (NOP, GA, ...) carries nothing for us.
            break;
        case State::Option:
            optionCommand(m_verb, b);
            m_state = State::Data;
            break;
        case State::Sub:
            if (b == Iac)
                m_state = State::SubIac;
            else
                m_sub += c;
            break;
        case State::SubIac:
            if (b == Iac) {
                m_sub += c;
                m_state = State::Sub;
            } else {
                // SE ends it; anything else is a broken subnegotiation, taken as ended.
                subnegotiation(m_sub);
                m_state = State::Data;
            }
            break;
        }
    }
    return data;
}

// An option command from the server. What we asked for and got needs no
// answer (that would start a loop); what we did not ask for is agreed to
// when we take part in the option and refused otherwise.
void Rfc2217Codec::optionCommand(uint8_t verb, uint8_t option)
{
    switch (verb) {
    case Will:
        if (!m_askedDo[option])
            m_replies += bytes({Iac, accepted(option) ? Do : Dont, option});
        m_askedDo[option] = accepted(option);
        break;
    case Do:
        if (!m_askedWill[option])
            m_replies += bytes({Iac, accepted(option) ? Will : Wont, option});
        m_askedWill[option] = accepted(option);
        break;
    case Wont: m_askedDo[option] = false; break;
    case Dont:
        if (option == ComPortOption && m_askedWill[option])
            refuse("the device server refuses to control the serial port (RFC 2217)");
        m_askedWill[option] = false;
        break;
    }
}

// A COM-PORT-OPTION answer settles the oldest request of its command.
// Notifications (line and modem state) and anything else are let pass.
void Rfc2217Codec::subnegotiation(const std::string& body)
{
    if (body.size() < 2 || static_cast<uint8_t>(body[0]) != ComPortOption)
        return;
    const auto code = static_cast<uint8_t>(body[1]);
    if (code < ServerOffset)
        return;
    const uint8_t command = code - ServerOffset;
    const auto it
        = std::find_if(m_pending.begin(), m_pending.end(), [&](const Request& r) { return r.command == command; });
    if (it == m_pending.end())
        return;
    const std::string answer = body.substr(2);
    if (answer != it->value)
        refuse("the device server set " + valueWords(command, answer) + " when asked for "
               + valueWords(command, it->value));
    m_pending.erase(it);
}

void Rfc2217Codec::refuse(std::string words)
{
    if (!m_refusal)
        m_refusal = std::move(words);
}

size_t Rfc2217Codec::pendingSettings() const
{
    return static_cast<size_t>(
        std::count_if(m_pending.begin(), m_pending.end(), [](const Request& r) { return r.command != SetControl; }));
}

std::string Rfc2217Codec::takeReplies() { return std::exchange(m_replies, {}); }

std::optional<std::string> Rfc2217Codec::takeRefusal() { return std::exchange(m_refusal, std::nullopt); }

void Rfc2217Codec::reset() { *this = Rfc2217Codec(); }

}  // namespace lettore
