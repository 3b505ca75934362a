#pragma once

#include "PortTable.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace lettore {

// What `lettore ports` shows: the serial devices the system knows, the
// COM<N> links of the settings folder with the number each gives, the
// network ports of its port table, and the port a command uses when
// --port is not given.
class PortList {
public:
    // Texts in UTF-8, as the system gives them.
    struct Device {
        std::string path;
        std::string description;
        std::string maker;
        std::string serialNumber;
        std::string usb;  // "vvvv:pppp" in hex, "" for a device not on USB
        // A USB serial adapter's latency timer: how long its driver may
        // hold received bytes, which every answer can wait in addition.
        std::optional<int> latencyTimerMs;
    };
    struct Link {
        std::string name;  // "COM9"
        int16_t number = 0;
        std::string device;  // where it leads; for an odd entry, what the port reaches instead
        bool present = false;
        // What keeps an entry named like a link from giving a port its
        // device ("a regular file, not a link"); "" for a link.
        std::string problem;
    };

    // The devices from the system's port enumeration (pseudo-terminals are
    // not among them; a COM<N> link reaches those).
    // usbSerialDevices holds a folder per USB serial adapter, named as its
    // device, with its latency_timer.
    static std::vector<Device> devices(const std::filesystem::path& usbSerialDevices = UsbSerialDevices);
    // The latency timer of devicePath's adapter in usbSerialDevices, in ms;
    // nothing for a device that has none or a file that is not 0..255.
    static std::optional<int> latencyTimerMs(const std::filesystem::path& usbSerialDevices,
                                             const std::string& devicePath);
    static constexpr const char* UsbSerialDevices = "/sys/bus/usb-serial/devices";
    // The COM<N> links in `folder`, by port number, then the odd entries
    // named COM and a number that give no port a device, by name.
    static std::vector<Link> links(const std::filesystem::path& folder);
    // The port table's entries as links named after its file, leading to
    // their addresses (present: an address is not probed), then its
    // problems as odd entries.
    static std::vector<Link> networkPorts(const PortTable& table);

    // One line per device, per link, per odd entry, then the port used by
    // default.
    static std::string text(const std::vector<Device>& devices, const std::vector<Link>& links, int16_t defaultPort,
                            const std::string& defaultDevice);
    // The same as one JSON object {"devices": [...], "links": [...],
    // "odd": [{"entry": NAME, "problem": TEXT}], "default": {"port": N,
    // "device": PATH}}.
    static std::string json(const std::vector<Device>& devices, const std::vector<Link>& links, int16_t defaultPort,
                            const std::string& defaultDevice);
};

}  // namespace lettore
