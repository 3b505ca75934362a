#pragma once

#include "ReaderSettings.h"
#include "Request.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <set>
#include <string>

namespace lettore::sim {

// One emulated reader: its address, rate and stored state, and its answer
// to each request. No I/O and no clock; the line decides which requests
// reach it and when its answers and readings go out.
class VirtualReader {
public:
    explicit VirtualReader(const ReaderSettings& settings);

    int address() const { return m_address; }
    int baudRate() const { return m_baudRate; }
    const Dialect& model() const { return *m_model; }

    // Carries out a request addressed to this reader, or a broadcast, and
    // returns the bytes to send back: an answer frame, a lone ACK or NAK, or
    // "" for no answer (broadcasts, acknowledgements, set-address). A serial
    // setup answers first and then moves the reader: the answer is built
    // with the old address, and address() and baudRate() are the new ones on
    // return. The caller handles a bad check character (lone NAK).
    std::string handle(const Request& request);

    // A badge held to the reader. In multimaster mode it becomes a reading
    // to send on its own; otherwise a stored transaction. The status
    // character is "1" when the code is on the white list, "0" when not.
    void present(const std::string& code);

    // Multimaster on or off. Turning it off stores unsent or unconfirmed
    // readings as transactions, so no badge is lost.
    void setMultimaster(bool enabled);
    bool multimaster() const { return m_multimaster; }

    // The oldest reading not yet confirmed: the status and code in the
    // model's answer layout (Sibrant2: STX, address in the poll form,
    // status, code, ETX, BCC), and a number that changes whenever another
    // reading takes its place.
    struct Reading {
        std::uint64_t id = 0;
        std::string frame;
        std::string data;  // status character and badge code
    };
    std::optional<Reading> pendingReading() const;
    // The pending reading went out: an ACK frame now confirms it.
    void readingSent();

    // Stores a transaction (status character and 10-character codes).
    void addTransaction(const std::string& data) { m_transactions.push_back(data); }

    // The host acknowledged the last answer with a lone ACK (Tolvane): it
    // confirms that answer as an ACK frame does.
    void acknowledge() { confirm(); }

    // Its model, settings, white list, transactions and serial numbers, a
    // few lines of text for the "state" command.
    std::string state() const;

    // State shown in the log and checked by tests.
    const std::string& setup() const { return m_setup; }
    const std::string& outputs() const { return m_outputs; }
    std::size_t whiteListSize() const { return m_whiteList.size(); }
    std::size_t transactionCount() const { return m_transactions.size(); }

private:
    // What a confirming ACK frame applies to.
    enum class Sent { Nothing, Transaction, NextSerial, Reading };

    struct StoredReading {
        std::uint64_t id;
        std::string data;
    };

    // Set commands: the answer, or nothing when the data is not one.
    std::optional<std::string> set(const Request& request, bool broadcast);
    std::string poll(const Request& request);
    void confirm();
    std::string answer(const std::string& data) const;
    std::string statusOf(const std::string& code) const;

    const Dialect* m_model;
    int m_address;
    int m_baudRate;
    std::string m_card;
    std::string m_firmware;
    std::string m_setup;
    std::string m_outputs = "000000000";
    std::size_t m_capacity;
    std::set<std::string> m_whiteList;
    std::deque<std::string> m_transactions;
    std::vector<std::string> m_serials;
    std::size_t m_currentSerial = 0;
    bool m_multimaster = false;
    std::deque<StoredReading> m_readings;
    std::uint64_t m_nextReadingId = 1;
    Sent m_lastSent = Sent::Nothing;
};

}  // namespace lettore::sim
