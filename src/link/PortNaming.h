#pragma once

#include <cstdint>
#include <string>

namespace lettore {

// Turns a port number into the serial device that opening that port
// reaches. On Windows port N is COM<N>. Elsewhere it is the device that a
// link named COM<N> in the program's folder points to, when there is one,
// otherwise /dev/ttyS<N-1>; so a USB adapter or a pseudo-terminal gets a
// number with `ln -s /dev/ttyUSB0 COM5`.
class PortNaming {
public:
    // programDir: the folder searched for COM<N> links ("" for none).
    explicit PortNaming(std::string programDir = {});

    // From now on every port number reaches `device` ("" undoes it): the
    // choice of a user who names the device directly. A link is resolved
    // as a COM<N> link is; a relative path with a folder in it is taken
    // from the current directory, a bare name is a device under /dev.
    void pinDevice(std::string device) { m_pinnedDevice = std::move(device); }

    // The device for port `number`, or "" when no device can have that
    // number. The device need not exist.
    std::string devicePath(int16_t number) const;

    // The device for a port number's or a device path's address (see
    // PortAddress); "" for a number no device can have, and for an address
    // of another kind.
    std::string deviceFor(const std::string& address) const;

private:
    // The platform's own naming, in PortNaming_unix.cpp or PortNaming_win.cpp.
    std::string platformDevicePath(int16_t number) const;
    static std::string resolved(const std::string& device);

    std::string m_programDir;
    std::string m_pinnedDevice;
};

}  // namespace lettore
