#include "SimOptions.h"

#include "ArgumentChecks.h"
#include "NetworkAddress.h"
#include "NumberText.h"

#include <algorithm>
#include <limits>
#include <set>
#include <stdexcept>

namespace lettore::sim {

namespace {

int parseCount(const std::string& option, const std::string& text, int low)
{
    constexpr int Most = std::numeric_limits<int>::max();
    if (const std::string refusal = ArgumentChecks::integer(option, text, low, Most); !refusal.empty())
        throw std::invalid_argument(refusal);
    return static_cast<int>(*NumberText::whole(text, low, Most));
}

std::vector<std::string> splitCodes(const std::string& text)
{
    std::vector<std::string> codes;
    std::size_t from = 0;
    while (from <= text.size()) {
        const auto comma = std::min(text.find(',', from), text.size());
        codes.push_back(text.substr(from, comma - from));
        if (codes.back().size() != 10)
            throw std::invalid_argument("badge code " + ArgumentChecks::quoted(codes.back())
                                        + " must have 10 characters");
        from = comma + 1;
    }
    return codes;
}

// Two readers at one address would both answer the same frame.
void addReader(std::vector<ReaderSettings>& readers, const ReaderSettings& reader)
{
    for (const auto& other : readers)
        if (other.address == reader.address)
            throw std::invalid_argument("two readers at address " + std::to_string(reader.address)
                                        + ": each --reader needs an address of its own");
    readers.push_back(reader);
}

}  // namespace

SimOptions SimOptions::parse(const std::vector<std::string>& arguments)
{
    SimOptions options;
    std::set<std::string, std::less<>> given;  // each option once, but --reader
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        if (option != "--reader") {
            const std::string refusal = ArgumentChecks::repeated(option == "-h" ? "--help" : option, given);
            if (!refusal.empty())
                throw std::invalid_argument(refusal);
        }
        const auto value = [&]() -> const std::string& {
            if (i + 1 >= arguments.size())
                throw std::invalid_argument(option + " needs a value");
            return arguments[++i];
        };
        if (option == "--help" || option == "-h")
            options.help = true;
        else if (option == "--link")
            options.linkPath = value();
        else if (option == "--listen") {
            options.listen = value();
            const auto address = NetworkAddress::parse(options.listen);
            if (!address || address->host.find_first_not_of("0123456789.") != std::string::npos)
                throw std::invalid_argument("--listen needs tcp://IPV4:PORT or rfc2217://IPV4:PORT, not "
                                            + ArgumentChecks::quoted(options.listen));
        } else if (option == "--log")
            options.logPath = value();
        else if (option == "--reader")
            addReader(options.readers, ReaderSettings::parse(value()));
        else if (option == "--pace")
            options.line.pace = true;
        else if (option == "--multimaster")
            options.line.multimaster = true;
        else if (option == "--present-every")
            options.line.presentEverySeconds = parseCount(option, value(), 1);
        else if (option == "--codes")
            options.line.presentCodes = splitCodes(value());
        else if (option == "--late-ms")
            options.line.faultTiming.lateBy = std::chrono::milliseconds(parseCount(option, value(), 0));
        else if (option == "--split-pause-ms")
            options.line.faultTiming.splitPause = std::chrono::milliseconds(parseCount(option, value(), 0));
        else
            throw std::invalid_argument("unknown option " + ArgumentChecks::quoted(option) + " (see --help)");
    }
    if (options.readers.empty())
        options.readers.push_back(ReaderSettings{});
    return options;
}

std::string SimOptions::helpText()
{
    return R"(Usage: lettore-sim [OPTION]...
Emulates one or more badge readers on a pseudo-terminal line. The first line
of standard output is the device path a host opens.

Options:
  --link PATH            make PATH a symbolic link to the device, e.g.
                         build/bin/COM9: the console and the command line
                         then reach the line as port 9
  --listen ADDRESS       serve the line over TCP too, as a device server:
                         tcp://127.0.0.1:PORT carries bytes only,
                         rfc2217://127.0.0.1:PORT also takes the rate the
                         client sets (RFC 2217); one client at a time
  --reader ADDR[:OPTS]   a reader at address ADDR (0-255); repeatable;
                         default one reader at address 1. OPTS, comma
                         separated:
                           model=NAME       the terminal model whose frames
                                            it hears and answers: Sibrant2
                                            (default), Sibrant, Parlow, Quen,
                                            Zem or Tolvane (the names of
                                            lettore raw --dialect, any case)
                           baud=RATE        1200, 2400, 4800, 9600 (default),
                                            19200 or 38400
                           card=CODE        its own card code, 10 characters
                                            (default the address as 10
                                            digits)
                           firmware=TEXT    16 characters (default
                                            "SIM LETTORE 1.00")
                           setup=TEXT       base setup, 15 characters
                           capacity=N       white-list size (default 10000)
                           serials=A+B+...  stored serial numbers, 10
                                            characters each
                           transactions=T+T+...  stored transactions, each a
                                            status character followed by
                                            10-character codes
                           fault=MODE       see Faults (default none)
  --pace                 send and receive at the real byte time of the line's
                         rate (10 bits a byte)
  --multimaster          readers send badge readings on their own
  --present-every SECS   every SECS seconds hold a badge to the next reader
                         in turn
  --codes CODE,CODE,...  badge codes for --present-every, 10 characters each
  --late-ms MS           delay of fault "late" (default 6000)
  --split-pause-ms MS    pause between the pieces of fault "split" (default 200)
  --log FILE             log every frame heard and sent (hex and meaning);
                         "-" logs to standard error
  -h, --help             show this text

Standard input, one command a line:
  present ADDR CODE      hold the 10-character badge CODE to reader ADDR: a
                         reading in multimaster mode (sent every 2 s until
                         the host acknowledges it), else a stored transaction;
                         status character "1" when the code is on the
                         reader's white list, "0" when not
  transaction ADDR DATA  store a transaction: a status character followed by
                         10-character codes
  fault ADDR MODE        reader ADDR's fault from now on
  state ADDR             print reader ADDR's model, settings, white list,
                         transactions and serial numbers
  multimaster on|off     switch multimaster mode for every reader
  drop [MS]              close the line now (the host sees it hang up); with
                         MS, offer it again MS milliseconds later behind the
                         same --link (the same device path when the host
                         has closed the old one and nobody took it since)
  quit                   stop

Faults (per reader, on every answer):
  none     answer correctly
  silent   no answer
  badbcc   wrong check character
  noise    noise bytes before the answer
  garble   noise bytes inside the answer (it fails its check)
  split    the answer in three pieces with pauses
  late     answer after the host's 5 s time-out
  drop     close the line instead of answering
  nak      refuse every request with a lone NAK, carrying out none

A reader hears only frames of its own model, at its own rate and its own
address; nobody answers the broadcast address (256 for Sibrant2, 32 for the
other models). A Tolvane reader answers "<", its address byte, the data, two
check digits and ">", and takes the host's ACK after it as the confirmation
that an ACK frame gives; a Tolvane poll asks for the oldest transaction.
SIGINT, SIGTERM and SIGHUP stop the program and remove the link. A command
line longer than 4096 bytes is refused; standard input that sends 1 MiB
without a line end is read no more.

Exit status: 0 when stopped, 64 for a wrong command line, 74 when the line,
the link or the log cannot be opened (a --link that leads to another live
line is not taken over).
)";
}

}  // namespace lettore::sim
