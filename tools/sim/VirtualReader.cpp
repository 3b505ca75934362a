#include "VirtualReader.h"

#include "Frame.h"

#include <algorithm>
#include <cstring>

namespace lettore::sim {

namespace {

constexpr std::size_t CodeLength = 10;
const std::string Ack(1, Frame::ACK);
const std::string Nak(1, Frame::NAK);

bool allDigits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The name of the command a request carries ("" for none) and what follows
// its code. The reader knows commands by name; what it makes of their
// arguments, and what it answers, is its own.
std::pair<std::string_view, std::string> named(const Request& request)
{
    const ReaderCommand* command = Request::command(request.kind, request.data);
    if (!command)
        return {};
    return {command->name, request.data.substr(std::strlen(command->code))};
}

}  // namespace

VirtualReader::VirtualReader(const ReaderSettings& settings)
    : m_model(settings.model), m_address(settings.address), m_baudRate(settings.baudRate), m_card(settings.cardCode()),
      m_firmware(settings.firmware), m_setup(settings.setup), m_capacity(settings.capacity),
      m_transactions(settings.transactions.begin(), settings.transactions.end()), m_serials(settings.serials)
{ }

std::string VirtualReader::handle(const Request& request)
{
    switch (request.kind) {
    case Request::Kind::Broadcast: set(request, true); return {};
    case Request::Kind::Set: {
        const auto result = set(request, false);
        m_lastSent = Sent::Nothing;
        return result.value_or(Nak);
    }
    case Request::Kind::Poll: return poll(request);
    }
    return Nak;
}

std::optional<std::string> VirtualReader::set(const Request& request, bool broadcast)
{
    const auto [command, data] = named(request);
    if (command == "SetupBase" && data.size() == 15) {
        m_setup = data;
        return Ack;
    }
    if (command == "SetupSeriale" && data.size() == 3) {
        const auto address = Request::decodeAddress(data[0], data[1]);
        const int baud = ReaderSettings::baudOfCode(data[2]);
        if (!address || baud == 0 || !ReaderSettings::addressFits(*m_model, *address))
            return std::nullopt;
        m_address = *address;
        m_baudRate = baud;
        return Ack;
    }
    if (command == "SetOUTPUT" && data.size() == 9 && allDigits(data)) {
        m_outputs = data;
        return Ack;
    }
    if (command == "CreaBadge" && data.size() == CodeLength) {
        const std::string& code = data;
        std::string status = "0";
        if (m_whiteList.count(code))
            status = "1";
        else if (m_whiteList.size() >= m_capacity)
            status = "2";
        else
            m_whiteList.insert(code);
        return answer(status);
    }
    if (command == "EliminaBadge" && data.size() == CodeLength)
        return m_whiteList.erase(data) ? Ack : Nak;
    if (command == "CancellaWL" && data == std::string(CodeLength, '0')) {
        m_whiteList.clear();
        return Ack;
    }
    // Assigning an address by card code reaches the bus as a broadcast only.
    if (command == "SetIndirizzo" && broadcast && data.size() >= 2) {
        const auto address = Request::decodeAddress(data[0], data[1]);
        if (!address || !ReaderSettings::addressFits(*m_model, *address))
            return std::nullopt;
        if (data.substr(2) == m_card)
            m_address = *address;
        return std::string();
    }
    return std::nullopt;
}

std::string VirtualReader::poll(const Request& request)
{
    // The queries but the white-list check carry nothing after their code.
    const auto [command, data] = named(request);
    const bool bare = data.empty();
    if (command == "SendACK" && bare) {
        confirm();
        return {};
    }
    const Sent before = m_lastSent;
    m_lastSent = Sent::Nothing;
    if (command == "GetSetupBase" && bare)
        return answer(m_setup);
    if (command == "GetVersioneFirmware" && bare)
        return answer(m_firmware);
    if (command == "GetTransazione" && bare) {
        if (m_transactions.empty())
            return answer("0");
        m_lastSent = Sent::Transaction;
        return answer(m_transactions.front());
    }
    if ((command == "GetMatricolaPrima" || command == "GetMatricolaCorrente") && bare) {
        const std::size_t index = command == "GetMatricolaPrima" ? 0 : m_currentSerial;
        return index < m_serials.size() ? answer(m_serials[index]) : Nak;
    }
    if (command == "GetMatricolaNext" && bare) {
        if (m_currentSerial + 1 >= m_serials.size())
            return Nak;
        m_lastSent = Sent::NextSerial;
        return answer(m_serials[m_currentSerial + 1]);
    }
    if (command == "VerificaBadge" && data.size() == CodeLength)
        return answer(m_whiteList.count(data) ? "1" : "0");
    m_lastSent = before;
    return Nak;
}

void VirtualReader::confirm()
{
    switch (m_lastSent) {
    case Sent::Transaction:
        if (!m_transactions.empty())
            m_transactions.pop_front();
        break;
    case Sent::NextSerial:
        if (m_currentSerial + 1 < m_serials.size())
            ++m_currentSerial;
        break;
    case Sent::Reading:
        if (!m_readings.empty())
            m_readings.pop_front();
        break;
    case Sent::Nothing: break;
    }
    m_lastSent = Sent::Nothing;
}

void VirtualReader::present(const std::string& code)
{
    const std::string data = statusOf(code) + code;
    if (m_multimaster)
        m_readings.push_back({m_nextReadingId++, data});
    else
        m_transactions.push_back(data);
}

void VirtualReader::setMultimaster(bool enabled)
{
    m_multimaster = enabled;
    if (enabled)
        return;
    for (const auto& reading : m_readings)
        m_transactions.push_back(reading.data);
    m_readings.clear();
    if (m_lastSent == Sent::Reading)
        m_lastSent = Sent::Nothing;
}

std::optional<VirtualReader::Reading> VirtualReader::pendingReading() const
{
    if (m_readings.empty())
        return std::nullopt;
    return Reading{m_readings.front().id, answer(m_readings.front().data), m_readings.front().data};
}

void VirtualReader::readingSent()
{
    if (!m_readings.empty())
        m_lastSent = Sent::Reading;
}

// The STX family answers with its own layout, the address in the poll
// form. A Tolvane reader answers '<', its address byte, the data, the XOR
// of those two as two upper-case hexadecimal digits, and '>'.
std::string VirtualReader::answer(const std::string& data) const
{
    if (m_model->answers != Frame::Rule::Tolvane)
        return *m_model->encode(Frame{static_cast<int16_t>(m_address), false, data});
    const std::string body = static_cast<char>(m_address + 0x30) + data;
    const auto sum = static_cast<unsigned char>(Frame::check(body));
    const char* digits = "0123456789ABCDEF";
    return Frame::TolvaneStart + body + digits[sum >> 4] + digits[sum & 0x0F] + Frame::TolvaneEnd;
}

std::string VirtualReader::state() const
{
    const auto list = [](const auto& items) {
        std::string text;
        for (const auto& item : items)
            text += " " + item;
        return text;
    };
    std::string text = "reader " + std::to_string(m_address) + ": model " + m_model->name + ", "
                       + std::to_string(m_baudRate) + " baud, card " + m_card + "\n";
    text += "  firmware \"" + m_firmware + "\", setup " + m_setup + ", outputs " + m_outputs + "\n";
    text += "  white list " + std::to_string(m_whiteList.size()) + " of " + std::to_string(m_capacity) + ":"
            + list(m_whiteList) + "\n";
    text += "  transactions " + std::to_string(m_transactions.size()) + ":" + list(m_transactions) + "\n";
    text += "  serial numbers " + std::to_string(m_serials.size()) + ", current " + std::to_string(m_currentSerial + 1)
            + ":" + list(m_serials) + "\n";
    return text;
}

std::string VirtualReader::statusOf(const std::string& code) const { return m_whiteList.count(code) ? "1" : "0"; }

}  // namespace lettore::sim
