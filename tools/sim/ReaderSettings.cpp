#include "ReaderSettings.h"

#include "ArgumentChecks.h"
#include "NumberText.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <stdexcept>

namespace lettore::sim {

namespace {

constexpr std::array<int, 6> baudCodes{1200, 2400, 4800, 9600, 19200, 38400};
constexpr std::size_t CodeLength = 10;

long long parseNumber(std::string_view text, long long low, long long high, const char* what)
{
    if (const std::string refusal = ArgumentChecks::integer(what, text, low, high); !refusal.empty())
        throw std::invalid_argument(refusal);
    return *NumberText::whole(text, low, high);
}

std::vector<std::string> splitList(std::string_view text)
{
    std::vector<std::string> items;
    while (!text.empty()) {
        const auto plus = text.find('+');
        items.emplace_back(text.substr(0, plus));
        if (plus == std::string_view::npos)
            break;
        text.remove_prefix(plus + 1);
    }
    return items;
}

void requireLength(const std::string& value, std::size_t length, const char* what)
{
    if (value.size() != length)
        throw std::invalid_argument(std::string(what) + " " + ArgumentChecks::quoted(value) + " must have "
                                    + std::to_string(length) + " characters");
}

// The terminal model of a dialect's name, in any case.
const Dialect* modelNamed(std::string_view name)
{
    const auto sameLetters = [](char a, char b) { return std::tolower(a) == std::tolower(b); };
    std::string names;
    for (const Dialect& dialect : Dialect::all()) {
        if (std::ranges::equal(name, std::string_view(dialect.name), sameLetters))
            return &dialect;
        names += (names.empty() ? "" : ", ") + std::string(dialect.name);
    }
    throw std::invalid_argument("model " + ArgumentChecks::quoted(name) + " is none of " + names);
}

void applyOption(ReaderSettings& settings, std::string_view key, std::string_view value)
{
    const std::string text(value);
    if (key == "baud") {
        settings.baudRate = static_cast<int>(parseNumber(value, 0, 1000000, "baud rate"));
        if (!ReaderSettings::isReaderBaudRate(settings.baudRate))
            throw std::invalid_argument("baud rate " + text + " is not 1200, 2400, 4800, 9600, 19200 or 38400");
    } else if (key == "card") {
        // A badge code is 10 characters: anything else no reading carries.
        requireLength(text, CodeLength, "card code");
        settings.card = text;
    } else if (key == "firmware") {
        requireLength(text, 16, "firmware version");
        settings.firmware = text;
    } else if (key == "setup") {
        requireLength(text, 15, "base setup");
        settings.setup = text;
    } else if (key == "capacity") {
        settings.capacity = static_cast<std::size_t>(parseNumber(value, 0, 10000000, "capacity"));
    } else if (key == "serials") {
        settings.serials = splitList(value);
        for (const auto& serial : settings.serials)
            requireLength(serial, CodeLength, "serial number");
    } else if (key == "transactions") {
        settings.transactions = splitList(value);
        for (const auto& transaction : settings.transactions)
            if (!ReaderSettings::isTransaction(transaction))
                throw std::invalid_argument("transaction " + ArgumentChecks::quoted(transaction)
                                            + " must be a status character and 10-character codes");
    } else if (key == "model") {
        settings.model = modelNamed(value);
    } else if (key == "fault") {
        settings.fault = parseFault(value);
    } else {
        throw std::invalid_argument("unknown reader option " + ArgumentChecks::quoted(key));
    }
}

}  // namespace

ReaderSettings ReaderSettings::parse(std::string_view text)
{
    ReaderSettings settings;
    const auto colon = text.find(':');
    settings.address = static_cast<int>(parseNumber(text.substr(0, colon), 0, 255, "reader address"));
    if (colon == std::string_view::npos)
        return settings;
    std::string_view options = text.substr(colon + 1);
    while (!options.empty()) {
        const auto comma = options.find(',');
        const std::string_view option = options.substr(0, comma);
        const auto equals = option.find('=');
        if (equals == std::string_view::npos)
            throw std::invalid_argument("reader option " + ArgumentChecks::quoted(option) + " needs key=value");
        applyOption(settings, option.substr(0, equals), option.substr(equals + 1));
        if (comma == std::string_view::npos)
            break;
        options.remove_prefix(comma + 1);
    }
    if (!addressFits(*settings.model, settings.address))
        throw std::invalid_argument("a " + std::string(settings.model->name) + " reader cannot have address "
                                    + std::to_string(settings.address) + ": its address byte has no room for it");
    return settings;
}

std::string ReaderSettings::cardCode() const
{
    if (!card.empty())
        return card;
    const std::string digits = std::to_string(address);
    return std::string(CodeLength - digits.size(), '0') + digits;
}

int ReaderSettings::baudOfCode(char code)
{
    if (code < '0' || code > '5')
        return 0;
    return baudCodes[static_cast<std::size_t>(code - '0')];
}

bool ReaderSettings::isReaderBaudRate(int baud)
{
    return std::find(baudCodes.begin(), baudCodes.end(), baud) != baudCodes.end();
}

bool ReaderSettings::addressFits(const Dialect& model, int address)
{
    return model.encode(Frame{static_cast<int16_t>(address), true, {}}).has_value();
}

bool ReaderSettings::isTransaction(std::string_view data)
{
    return data.size() > CodeLength && (data.size() - 1) % CodeLength == 0;
}

}  // namespace lettore::sim
