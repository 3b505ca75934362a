#include "LineCommand.h"

#include "ArgumentChecks.h"
#include "NumberText.h"
#include "ReaderSettings.h"

#include <sstream>
#include <stdexcept>
#include <vector>

namespace lettore::sim {

namespace {

// A line may stay down at most this long: an hour.
constexpr int MaxBackAfterMs = 3'600'000;

int parseNumber(const std::string& text, int low, int high, const std::string& what)
{
    if (const std::string refusal = ArgumentChecks::integer(what, text, low, high); !refusal.empty())
        throw std::invalid_argument(refusal);
    return static_cast<int>(*NumberText::whole(text, low, high));
}

int parseAddress(const std::string& text) { return parseNumber(text, 0, 255, "address"); }

void requireWords(const std::vector<std::string>& words, std::size_t count, const char* usage)
{
    if (words.size() != count)
        throw std::invalid_argument(std::string("usage: ") + usage);
}

}  // namespace

LineCommand LineCommand::parse(std::string_view line)
{
    std::istringstream stream{std::string(line)};
    std::vector<std::string> words;
    for (std::string word; stream >> word;)
        words.push_back(word);
    if (words.empty())
        throw std::invalid_argument("empty command");

    LineCommand command;
    const std::string& verb = words[0];
    if (verb == "present") {
        requireWords(words, 3, "present ADDR CODE");
        command.kind = Kind::Present;
        command.address = parseAddress(words[1]);
        command.text = words[2];
        if (command.text.size() != 10)
            throw std::invalid_argument("badge code " + ArgumentChecks::quoted(command.text)
                                        + " must have 10 characters");
    } else if (verb == "transaction") {
        requireWords(words, 3, "transaction ADDR DATA");
        command.kind = Kind::Transaction;
        command.address = parseAddress(words[1]);
        command.text = words[2];
        if (!ReaderSettings::isTransaction(command.text))
            throw std::invalid_argument("transaction " + ArgumentChecks::quoted(command.text)
                                        + " must be a status character and 10-character codes");
    } else if (verb == "fault") {
        requireWords(words, 3, "fault ADDR MODE");
        command.kind = Kind::SetFault;
        command.address = parseAddress(words[1]);
        command.fault = parseFault(words[2]);
    } else if (verb == "state") {
        requireWords(words, 2, "state ADDR");
        command.kind = Kind::State;
        command.address = parseAddress(words[1]);
    } else if (verb == "multimaster") {
        requireWords(words, 2, "multimaster on|off");
        if (words[1] != "on" && words[1] != "off")
            throw std::invalid_argument("usage: multimaster on|off");
        command.kind = Kind::Multimaster;
        command.enabled = words[1] == "on";
    } else if (verb == "drop") {
        if (words.size() > 2)
            throw std::invalid_argument("usage: drop [MS]");
        command.kind = Kind::Drop;
        if (words.size() == 2)
            command.backAfterMs = parseNumber(words[1], 0, MaxBackAfterMs, "MS");
    } else if (verb == "quit") {
        requireWords(words, 1, "quit");
        command.kind = Kind::Quit;
    } else {
        throw std::invalid_argument("unknown command " + ArgumentChecks::quoted(verb));
    }
    return command;
}

}  // namespace lettore::sim
