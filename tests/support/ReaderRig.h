#pragma once

#include "Frame.h"
#include "ManualClock.h"
#include "SimulatedPort.h"
#include "clsLettori.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace lettore::test {

// Each element as `text` gives it, "|" between.
template <typename Range, typename Text>
std::string joined(const Range& range, Text text)
{
    std::string out;
    for (const auto& element : range)
        out += (out.empty() ? "" : "|") + text(element);
    return out;
}

// A registry over a simulated port: each frame written gets `reply`'s answer 10 ms later ("" is silence).
class ReaderRig : public ::testing::Test {
protected:
    ReaderRig()
    {
        port.onWrite = [this](const std::string& frame) {
            const std::string answer = reply(frame);
            if (!answer.empty())
                port.feedAt(clock.nowMs() + 10, answer);
        };
    }

    static std::string ack() { return std::string(1, Frame::ACK); }
    // The answer frame of reader 1 carrying `data`.
    static std::string answer(const std::string& data) { return Frame{1, false, data}.encode(); }
    // The last character of the data of a frame written: a code's last digit.
    static char lastOfData(const std::string& f) { return f.size() > 5 ? f[f.size() - 3] : '\0'; }

    // Every frame written since the last clearRecord(), in hex.
    std::vector<std::string> writtenHex() const
    {
        std::vector<std::string> out(port.writes().size());
        std::ranges::transform(port.writes(), out.begin(), &hex);
        return out;
    }
    // The data fields of the frames written since the last clearRecord(), "|" between.
    std::string sentData() const
    {
        return joined(port.writes(), [](const std::string& frame) { return Frame::decode(frame)->data; });
    }

    ManualClock clock;
    SimulatedPort port{clock};
    clsLettori lettori{port.opener(), clock};
    std::function<std::string(const std::string&)> reply = [](const std::string&) { return std::string(); };
};

}  // namespace lettore::test
