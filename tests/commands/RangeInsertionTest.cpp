#include "RangeInsertion.h"

#include "Esito.h"

#include "ReaderRig.h"

namespace lettore::test {
namespace {

class RangeInsertionTest : public ReaderRig {
protected:
    RangeInsertion::Result run(int first, int last)
    {
        const RangeInsertion insertion(
            lettori, 1, [this](const RangeInsertion::Step& step) { steps.push_back(step); },
            [this] { return stopWhen && stopWhen(); });
        return insertion.run(first, last);
    }

    // Each step as "index/count code esito outst".
    std::vector<std::string> stepTexts() const
    {
        std::vector<std::string> out;
        for (const auto& s : steps)
            out.push_back(std::to_string(s.index) + "/" + std::to_string(s.count) + " " + s.code + " "
                          + std::to_string(s.esito) + " " + s.outst);
        return out;
    }

    std::vector<RangeInsertion::Step> steps;
    std::function<bool()> stopWhen;
};

// Every code goes out in order whatever the one before gave (each answer
// follows the code its frame carries); only accepted answers count, each
// under its status character.
TEST_F(RangeInsertionTest, SendsEveryCodeAndCountsAnswersByStatus)
{
    reply = [](const std::string& frame) -> std::string {
        switch (lastOfData(frame)) {
        case '5': return answer("0");
        case '6': return {};  // silence
        case '7': return answer("2");  // list full
        case '8': return unhex("02 30 21 30 03 21");  // its check broken
        default: return ack();  // no status character
        }
    };
    const RangeInsertion::Result result = run(5, 9);

    EXPECT_EQ(stepTexts(), (std::vector<std::string>{"1/5 0000000005 0 0", "2/5 0000000006 1 ",
                                                     "3/5 0000000007 0 2", "4/5 0000000008 2 ",
                                                     "5/5 0000000009 0 "}));
    EXPECT_EQ(result.esito, 1);
    EXPECT_EQ(result.sent, 5);
    EXPECT_EQ(result.accepted, 3);
    EXPECT_EQ(result.statuses, (std::map<std::string, int>{{"", 1}, {"0", 1}, {"2", 1}}));
    EXPECT_EQ(result.lastLine, "0000000009 ");
    EXPECT_FALSE(result.stopped);
}

// A port failure ends the run at its code, with result 3 even after a
// time-out; a stop asked for during the quiet gap sends nothing more.
TEST_F(RangeInsertionTest, PortFailureOrStopInTheQuietGapEndsTheRun)
{
    reply = [this](const std::string& frame) {
        if (lastOfData(frame) == '6')  // the device goes away once code 6 is out
            port.failNext("write", PortError(PortFailure::Other, 5, LineDroppedText));
        return lastOfData(frame) == '5' ? std::string() : answer("0");
    };
    const RangeInsertion::Result broken = run(5, 9);
    EXPECT_EQ(stepTexts(), (std::vector<std::string>{"1/5 0000000005 1 ", "2/5 0000000006 0 0", "3/5 0000000007 3 "}));
    EXPECT_EQ(broken.esito, Esito::PortFailed);
    EXPECT_FALSE(broken.stopped);

    port.clearRecord();
    lettori.Comunicazione().setQuietGapAfterTimeOut(1500);
    int asked = 0;
    // Before code 5 and after its (empty) gap, before code 6, after its gap.
    stopWhen = [&] { return ++asked == 4; };
    EXPECT_TRUE(run(5, 9).stopped);
    EXPECT_EQ(port.writes().size(), 1u);
}

// The bounds, and a stop asked for while a code's exchange waits (a click
// handled during the wait): that exchange finishes, the run ends before the
// next.
TEST_F(RangeInsertionTest, BoundsAndAStopBetweenTwoExchanges)
{
    reply = [](const std::string&) { return answer("0"); };
    const struct {
        const char* name;
        int first, last, sent;
        const char* lastLine;
        bool stopped;
    } rows[] = {
        {"first above last", 5, 3, 0, "", false},
        {"one code", 7, 7, 1, "0000000007 0", false},
        {"negative first refused", -1, 2, 0, "", false},
        {"last past 32767 refused", 0, 32768, 0, "", false},
        {"up to 32767", 32760, 32767, 8, "0000032767 0", false},
        {"stop asked once the third code is out", 0, 100, 3, "0000000002 0", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        port.clearRecord();
        // A count that wrapped past 32767 would never end: stop it at 9 codes.
        stopWhen = [&] { return port.writes().size() >= (row.stopped ? size_t(row.sent) : 9u); };
        const RangeInsertion::Result result = run(row.first, row.last);
        EXPECT_EQ(result.sent, row.sent);
        EXPECT_EQ(port.writes().size(), size_t(row.sent));
        EXPECT_EQ(result.lastLine, row.lastLine);
        EXPECT_EQ(result.stopped, row.stopped);
    }
}

}  // namespace
}  // namespace lettore::test
