#pragma once

#include "LinkEvents.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

namespace lettore {

class clsLettori;

// Prints every text the link receives on its own, one line each: a badge
// reading (16 characters) as "lettura ADDR CODE", anything else as
// "ComRX HEX". With acknowledge set, a reading whose address decodes is
// confirmed with SendACK to that address.
class ReadingListener : public LinkEvents {
public:
    ReadingListener(clsLettori& registry, std::ostream& out, bool acknowledge);

    void ComRX(const std::string& stringa) override;

    // The reader's address in a 16-character reading: (code of character 2
    // - 48) * 16 + (code of character 3 - 32); nothing when that is not an
    // address from 0 to 255.
    static std::optional<uint8_t> readingAddress(const std::string& reading);

private:
    clsLettori& m_registry;
    std::ostream& m_out;
    bool m_acknowledge = false;
};

}  // namespace lettore
