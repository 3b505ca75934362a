#pragma once

#include <string>

namespace lettore {

// The serial line's own controls, which a channel over a network may lack.
// Each may be set while the channel is closed: it is kept and applied when
// it opens. Any operation may throw PortError.
class LineControl {
public:
    virtual ~LineControl() = default;

    // Settings string "baud,parity,data,stop", e.g. "9600,N,8,1".
    virtual void setSettings(const std::string& settings) = 0;
    virtual std::string settings() = 0;

    virtual void setDtrEnabled(bool enabled) = 0;
    virtual void setRtsEnabled(bool enabled) = 0;
};

}  // namespace lettore
