#pragma once

#include "SerialSettings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lettore {

// The Telnet COM-PORT-OPTION protocol (RFC 2217) of a client, as bytes in
// and bytes out: no socket, no clock. The port that owns the socket sends
// what this returns and feeds it what arrives.
//
// Our side starts the negotiation (some device servers wait for the client
// to): it offers COM-PORT-OPTION and BINARY both ways and suppresses
// go-ahead. Any other option the server offers or asks for is refused, so
// it never echoes or rewrites line ends. Data bytes 255 are doubled on the
// way out and undoubled on the way in; a command or subnegotiation may be
// split anywhere across reads.
//
// Each settings or DTR change is a request the server answers with the
// value it took. A request stays pending until its answer comes; an answer
// with another value, or a server that refuses the option, is a refusal
// kept in words until taken. A DTR change may go unanswered (a server
// whose device has no modem lines says nothing): only the latest one is
// kept, checked when its answer comes, and never waited for.
class Rfc2217Codec {
public:
    // The bytes that open the negotiation, sent once on connecting.
    std::string start();

    // `data` as it goes on the wire: every 255 doubled.
    static std::string escaped(std::string_view data);

    // SET-BAUDRATE, SET-DATASIZE, SET-PARITY and SET-STOPSIZE for `s`.
    std::string setSettings(const SerialSettings& s);
    // SET-CONTROL with DTR on or off.
    std::string setDtr(bool on);

    // Takes bytes from the server. Returns the device's data among them;
    // what the negotiation needs sent back is added to replies().
    std::string feed(std::string_view bytes);

    // Bytes owed to the server since the last call, cleared by taking them.
    std::string takeReplies();

    // Settings requests sent and not answered yet.
    size_t pendingSettings() const;
    // The first refusal since the last call, in words; cleared by taking it.
    std::optional<std::string> takeRefusal();
    // Forgets every request: a new connection answers none of the old ones.
    void reset();

    // RFC 2217 values used on the wire.
    static constexpr uint8_t ComPortOption = 44;
    static constexpr uint8_t ServerOffset = 100;  // a server's answer is the command + 100
    enum Command : uint8_t {
        SetBaudRate = 1,
        SetDataSize = 2,
        SetParity = 3,
        SetStopSize = 4,
        SetControl = 5,
    };

private:
    struct Request {
        uint8_t command;
        std::string value;  // the value bytes sent, as the answer must carry them
    };
    enum class State { Data, Iac, Option, Sub, SubIac };

    std::string request(uint8_t command, const std::string& value);
    void optionCommand(uint8_t verb, uint8_t option);
    void subnegotiation(const std::string& body);
    void refuse(std::string words);

    State m_state = State::Data;
    uint8_t m_verb = 0;
    std::string m_sub;
    std::string m_replies;
    std::vector<Request> m_pending;
    std::optional<std::string> m_refusal;
    // Options we asked for: an answer that agrees needs no reply.
    bool m_askedWill[256] = {};
    bool m_askedDo[256] = {};
};

}  // namespace lettore
