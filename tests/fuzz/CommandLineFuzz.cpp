// Any arguments parse within the readers' ranges or are refused as a usage error; escapes read back.
#include "FuzzInput.h"

#include "ByteText.h"
#include "CommandLine.h"

#include <vector>

using namespace lettore;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    // Any bytes escape to text that unescapes to them.
    const auto roundTrip = ByteText::unescape(ByteText::escape(text));
    FUZZ_CHECK(roundTrip && *roundTrip == text);

    // Arguments are separated by NUL, as they reach a program.
    std::vector<std::string> args;
    size_t start = 0;
    for (size_t end; (end = text.find('\0', start)) != std::string::npos; start = end + 1)
        args.push_back(text.substr(start, end - start));
    args.push_back(text.substr(start));
    try {
        const Invocation invocation = CommandLine::parse(args);
        if (invocation.help || invocation.version)
            return 0;
        FUZZ_CHECK(invocation.command != nullptr);
        FUZZ_CHECK(!invocation.term || (*invocation.term >= 0 && *invocation.term <= 256));
        // A device named by digits alone is taken as a port number.
        const std::string& device = invocation.device;
        FUZZ_CHECK(invocation.portNumber || device.empty()
                   || device.find_first_not_of("+-0123456789") != std::string::npos);
        FUZZ_CHECK(invocation.listen || invocation.args.size() == invocation.command->inputs.size());
    } catch (const UsageError& error) {
        FUZZ_CHECK(std::string(error.what()).find('\n') == std::string::npos);
    }
    return 0;
}
