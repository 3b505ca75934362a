#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lettore {

// A serial port's settings as the text "baud,parity,data,stop" names them
// ("9600,N,8,1"): a positive baud rate, parity N, E, O, M or S (either
// case), 5 to 8 data bits, 1, 1.5 or 2 stop bits; blanks around a field
// are allowed.
struct SerialSettings {
    enum class Parity { None, Even, Odd, Mark, Space };
    enum class StopBits { One, OneAndHalf, Two };

    int32_t baudRate = 9600;
    Parity parity = Parity::None;
    int dataBits = 8;
    StopBits stopBits = StopBits::One;

    // The settings a text names; nothing when it names none.
    static std::optional<SerialSettings> parse(std::string_view text);

    // The one spelling a port gives its settings back in: "9600,N,8,1"
    // whether set as " 9600 ,n,8,1" or so.
    std::string text() const;

    // The text for the readers' line at `baudRate` (no parity, 8 data
    // bits, 1 stop bit). The rate is taken as given: one the port cannot
    // take is reported when the settings are applied.
    static std::string readersLine(const std::string& baudRate);

    bool operator==(const SerialSettings&) const = default;

private:
    std::string framingText() const;  // ",N,8,1": everything after the rate
};

}  // namespace lettore
