// The virtual reader under arbitrary bytes and commands: frames cut alike however chunked; no broadcast answered.
#include "FuzzInput.h"

#include "Frame.h"
#include "FrameSplitter.h"
#include "LineCommand.h"
#include "ReaderSettings.h"
#include "Request.h"
#include "Transmitter.h"
#include "VirtualReader.h"

#include <stdexcept>
#include <vector>

using namespace lettore;
using namespace lettore::sim;
using namespace lettore::fuzz;

namespace {

class Run {
public:
    explicit Run(FuzzInput& in) : m_in(in) { m_readers.emplace_back(ReaderSettings{}); }

    void step()
    {
        switch (m_in.pick(6)) {
        case 0: lineBytes(m_in.bytes(64)); break;
        case 1: lineBytes('\x02' + std::string(m_in.inRange(0, 3000), 'A')); break;
        case 2: command(); break;
        case 3: addReader(); break;
        case 4: readings(); break;
        default: transmit(); break;
        }
    }

    void finish() { FUZZ_CHECK(FrameSplitter().feed(m_heard) == m_frames); }

private:
    void lineBytes(const std::string& bytes)
    {
        m_heard += bytes;
        for (const std::string& frame : m_splitter.feed(bytes)) {
            m_frames.push_back(frame);
            request(frame);
        }
    }

    void request(const std::string& frame)
    {
        const auto request = Request::parse(frame);
        if (!request)
            return;
        const bool broadcast = request->kind == Request::Kind::Broadcast;
        for (auto& reader : m_readers) {
            // A bad check character gets a NAK, except on a broadcast.
            if (broadcast ? !request->bccOk : reader.address() != request->address)
                continue;
            const std::string answer = request->bccOk ? reader.handle(*request) : "\x15";
            FUZZ_CHECK(!broadcast || answer.empty());
            const auto start = m_now + std::chrono::milliseconds(m_in.inRange(0, 100));
            const auto byteTime = std::chrono::microseconds(m_in.pick(3) * 520);
            m_transmitter.schedule(answer, start, byteTime);
        }
    }

    void command()
    {
        LineCommand command;
        try {
            command = LineCommand::parse(m_in.bytes(40));
        } catch (const std::invalid_argument&) {
            return;
        }
        for (auto& reader : m_readers) {
            if (command.kind == LineCommand::Kind::Multimaster)
                reader.setMultimaster(command.enabled);
            if (reader.address() != command.address)
                continue;
            if (command.kind == LineCommand::Kind::Present)
                reader.present(command.text);
            else if (command.kind == LineCommand::Kind::Transaction)
                reader.addTransaction(command.text);
        }
    }

    void addReader()
    {
        try {
            const ReaderSettings settings = ReaderSettings::parse(m_in.bytes(60));
            if (m_readers.size() < 4)
                m_readers.emplace_back(settings);
        } catch (const std::invalid_argument&) { }
    }

    void readings()
    {
        for (auto& reader : m_readers) {
            if (reader.pendingReading() && m_in.flag())
                reader.readingSent();
        }
    }

    // Time passes and what is due leaves the queue.
    void transmit()
    {
        m_now += std::chrono::milliseconds(m_in.inRange(0, 2000));
        m_transmitter.takeDue(m_now);
    }

    FuzzInput& m_in;
    std::vector<VirtualReader> m_readers;
    FrameSplitter m_splitter;
    std::string m_heard;
    std::vector<std::string> m_frames;
    Transmitter m_transmitter;
    Transmitter::Clock::time_point m_now{};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    Run run(in);
    for (int steps = 0; steps < 48 && !in.empty(); ++steps)
        run.step();
    run.finish();
    return 0;
}
