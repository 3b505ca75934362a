#pragma once

#include "LinkEvents.h"

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

protected:
    // The line printed for a reading, and for any other text.
    virtual std::string readingLine(int address, const std::string& code) const;
    virtual std::string otherLine(const std::string& stringa) const;

private:
    clsLettori& m_registry;
    std::ostream& m_out;
    bool m_acknowledge = false;
};

}  // namespace lettore
