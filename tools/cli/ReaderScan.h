#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lettore {

class clsLettori;

// Finds the readers on a line: asks each address at each rate for its
// firmware version with a short time limit. A reader counts as found when
// it answers twice in a row, so that a late answer from the address polled
// before is not taken for another reader.
class ReaderScan {
public:
    struct Found {
        int address = 0;
        std::string baud;
        std::string firmware;
    };
    struct Result {
        std::vector<Found> found;
        bool stopped = false;  // stopRequested said so before the end
        bool portFailed = false;  // the port failed; the link's Errore tells why
    };
    using Progress = std::function<void(int address, const std::string& baud)>;
    using FoundOne = std::function<void(const Found&)>;

    // progress is called before each address is polled, found for each
    // reader as it is found; stopRequested is asked between two polls.
    ReaderScan(clsLettori& registry, Progress progress, FoundOne found, std::function<bool()> stopRequested);

    // Polls from..to at each of `rates`, waiting for each answer at most
    // pollTimeoutMs of the rate, timeoutMs and the port's round trip. The
    // link's rate, time limit and quiet gap are those of the scan
    // meanwhile; the time limit and quiet gap are put back at the end.
    Result run(int from, int to, const std::vector<std::string>& rates, std::optional<uint32_t> timeoutMs);

    // 100 ms plus the time 30 bytes take at `baud` (10 bits a byte): room
    // for the request, the 21-byte answer and the reader's own delay.
    static uint32_t defaultTimeoutMs(int baud);

    // timeoutMs (by default defaultTimeoutMs of `baud`) plus the round trip
    // of a connection to a device server, which every answer also takes: a
    // 600 ms network would otherwise make every reader look absent.
    static uint32_t pollTimeoutMs(int baud, std::optional<uint32_t> timeoutMs, std::optional<uint32_t> roundTripMs);

private:
    // The firmware version the reader at `address` gave, or nothing.
    std::optional<std::string> poll(int address, bool& portFailed);

    clsLettori& m_registry;
    Progress m_progress;
    FoundOne m_found;
    std::function<bool()> m_stopRequested;
};

}  // namespace lettore
