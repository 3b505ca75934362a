#pragma once

#include <QString>

#include <string>

namespace lettore {

// The link and the serial port describe their failures in English, the
// words `lettore` prints and scripts match; so do a network port's notice
// and the port table's problems. The windows show them to the
// technician in Italian: a text the link is known to give comes back
// translated, with its numbers and quoted settings kept; any other text
// (the system's own reason for a failure) comes back unchanged.
class FailureText {
public:
    static QString italian(const std::string& text);
};

}  // namespace lettore
