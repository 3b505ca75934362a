// Every entry of the command table against a reader that answers arbitrary
// bytes or frames, late or never: what a query cuts out must come from an answer.
#include "FuzzInput.h"

#include "CommandTable.h"
#include "Esito.h"
#include "FieldCodec.h"
#include "Frame.h"
#include "SimulatedPort.h"
#include "clsLettori.h"

#include <map>
#include <memory>

using namespace lettore;
using namespace lettore::fuzz;

static std::string argument(FuzzInput& in, const CommandEntry::Input& input)
{
    using Kind = CommandEntry::Kind;
    switch (input.kind) {
    case Kind::Text:
    case Kind::Bytes: return in.bytes(14);
    case Kind::Address: return std::to_string(in.inRange(0, 255));
    case Kind::BaudRate: return FieldCodec::baudRates()[in.pick(FieldCodec::baudRates().size())];
    case Kind::RangeBound: return std::to_string(in.inRange(0, RangeInsertion::MaxBound));
    }
    return {};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    test::ManualClock clock(in.u32());
    auto owned = std::make_unique<test::SimulatedPort>(clock);
    test::SimulatedPort& port = *owned;
    clsLettori lettori(std::move(owned), clock);

    // Each frame written gets the next scripted answer; a late one may be
    // taken by a later command, so values may come from any answer so far.
    std::string answers;
    port.onWrite = [&](const std::string& frame) {
        std::string answer;
        switch (in.pick(4)) {
        case 0: return;  // silence
        case 1: answer = in.bytes(30); break;
        case 2: answer = std::string(1, in.flag() ? Frame::ACK : Frame::NAK); break;
        default: {
            // A well-formed answer from the addressed reader, or another.
            const bool addressed = frame.size() > 2 && !in.flag();
            const auto term = static_cast<int16_t>(addressed ? frameAddress(frame) : in.inRange(0, 255));
            answer = Frame{term, false, in.bytes(30)}.encode();
        }
        }
        answers += answer;
        port.feedAt(clock.nowMs() + static_cast<uint32_t>(in.inRange(0, 6000)), answer);
    };

    static std::map<std::string, size_t> valueCounts;
    const auto& entries = CommandTable::all();
    for (int commands = 0; commands < 4 && !in.empty(); ++commands) {
        const CommandEntry& entry = entries[in.pick(entries.size())];
        CommandRequest request;
        request.term = static_cast<int16_t>(in.inRange(-2, 258));
        request.ack = entry.takesAck && in.flag();
        const auto& dialects = CommandTable::dialects();
        if (entry.takesDialect)
            request.dialect = in.pick(8) == 0 ? "Nessuno" : dialects[in.pick(dialects.size())];
        for (const auto& input : entry.inputs)
            request.args.push_back(argument(in, input));
        // A short range: the bounds are what is fuzzed, not the length.
        if (entry.inputs.size() == 2 && entry.inputs[1].kind == CommandEntry::Kind::RangeBound) {
            const long last = std::stol(request.args[0]) + in.inRange(-2, 6);
            request.args[1] = std::to_string(std::min<long>(last, RangeInsertion::MaxBound));
        }
        int steps = 0;
        request.stopRequested = [&] { return in.pick(16) == 0; };
        request.progress = [&](const RangeInsertion::Step& step) {
            FUZZ_CHECK(step.index == ++steps && step.index <= step.count);
        };

        const CommandResult result = entry.invoke(lettori, request);

        FUZZ_CHECK(result.esito >= Esito::Accepted && result.esito <= 5);
        const auto [known, added] = valueCounts.emplace(entry.name, result.values.size());
        if (!entry.inputs.empty() && entry.inputs[0].kind == CommandEntry::Kind::RangeBound) {
            const int accepted = std::stoi(result.values.at(0).bytes);
            const int sent = std::stoi(result.values.at(2).bytes);
            FUZZ_CHECK(accepted <= sent && sent == steps);
            continue;
        }
        FUZZ_CHECK(known->second == result.values.size());
        // A value is a placeholder or a piece of what the reader sent.
        for (const auto& value : result.values) {
            const bool placeholder = value.bytes == "N" || value.bytes == "E" || value.bytes.empty();
            FUZZ_CHECK(value.asHex || placeholder
                       || (result.esito == Esito::Accepted && answers.find(value.bytes) != std::string::npos));
        }
    }
    return 0;
}
