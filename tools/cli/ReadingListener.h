#pragma once

#include "LinkEvents.h"

#include <functional>
#include <map>
#include <ostream>
#include <string>

namespace lettore {

class clsLettori;

// Prints every text the link receives on its own, one line each, ending
// with the wall time it came (UTC, as the trace): a badge reading (16
// characters) as "lettura ADDR CODE status S TIME", S its status
// character, with " repeated" when its reader sent the same reading last
// and it was not acknowledged (the reader sends it again until it is);
// anything else as "ComRX HEX TIME". With acknowledge set, a reading whose
// address decodes is confirmed with SendACK to that address.
class ReadingListener : public LinkEvents {
public:
    // now: the time text; the wall time unless a test gives its own.
    ReadingListener(clsLettori& registry, std::ostream& out, bool acknowledge, std::function<std::string()> now = {});

    void ComRX(const std::string& stringa) override;

protected:
    // A reading as heard: its reader, code, status character, wall time,
    // and whether it repeats one not acknowledged.
    struct Heard {
        int address;
        std::string code;
        std::string status;
        std::string time;
        bool repeated;
    };
    // The line printed for a reading, and for any other text.
    virtual std::string readingLine(const Heard& reading) const;
    virtual std::string otherLine(const std::string& stringa, const std::string& time) const;

private:
    clsLettori& m_registry;
    std::ostream& m_out;
    bool m_acknowledge = false;
    std::function<std::string()> m_now;
    // Per reader address, its last reading when it was not acknowledged.
    std::map<int, std::string> m_unacknowledged;
};

}  // namespace lettore
