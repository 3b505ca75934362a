#pragma once

#include "Dialect.h"
#include "Fault.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lettore::sim {

// What one emulated reader starts with.
struct ReaderSettings {
    int address = 1;  // bus address, 0..255
    int baudRate = 9600;  // the only rate it hears and answers at
    std::string card;  // its own card code; empty: the address as 10 digits
    std::string firmware = "SIM LETTORE 1.00";  // exactly 16 characters
    std::string setup = "000100501000211";  // base setup, 15 characters
    std::size_t capacity = 10000;  // white-list capacity
    std::vector<std::string> serials{"0000001001", "0000001002", "0000001003"};
    // Stored transactions, oldest first, each the answer's data: one status
    // character followed by 10-character badge codes.
    std::vector<std::string> transactions;
    Fault fault = Fault::None;
    // The terminal model: the dialect whose frames it hears and answers.
    const Dialect* model = &Dialect::sibrant2();

    // Parses "ADDR[:key=value,...]", keys model (a dialect's name in any
    // case), baud, card, firmware, setup, capacity, serials and
    // transactions (lists joined by "+"), fault.
    // Throws std::invalid_argument with a readable message.
    static ReaderSettings parse(std::string_view text);

    // The card code in use: `card`, or the address as 10 digits.
    std::string cardCode() const;

    // The rate of a serial-setup baud code "0".."5"; 0 for any other code.
    static int baudOfCode(char code);
    // True for the rates a reader can be set to (1200..38400).
    static bool isReaderBaudRate(int baud);
    // Whether `model` can address a reader at `address` in both forms (the
    // set form's address byte is the larger).
    static bool addressFits(const Dialect& model, int address);
    // True for one status character followed by whole 10-character codes.
    static bool isTransaction(std::string_view data);
};

}  // namespace lettore::sim
