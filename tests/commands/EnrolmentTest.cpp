#include "Enrolment.h"
#include "BadgeCode.h"
#include "Esito.h"
#include "ReaderRig.h"

#include <filesystem>
#include <fstream>
#include <set>

namespace lettore::test {
namespace {

using Outcome = Enrolment::Outcome;

// A white list behind the port, each exchange noted as "add 42", "del 100", "chk 7"; `silent` codes
// get no answer to an add, `kept` ones are never deleted.
class EnrolmentTest : public ReaderRig {
protected:
    EnrolmentTest()
    {
        reply = [this](const std::string& frame) -> std::string {
            const std::string data = Frame::decode(frame)->data;
            const bool whiteList = data[0] == '4';
            const std::string code = data.substr(whiteList ? 2 : 1);
            const char* verbs[] = {"add ", "del "};
            exchanges.push_back((whiteList ? verbs[data[1] - '1'] : "chk ") + std::to_string(std::stoull(code)));
            if (data.starts_with("41")) {
                if (silent.count(code))
                    return "";
                const bool listed = list.count(code), full = !listed && list.size() >= capacity;
                if (!listed && !full)
                    list.insert(code);
                return answer(listed ? "1" : full ? "2" : "0");
            }
            if (data.starts_with("42"))
                return kept.count(code) || list.erase(code) ? ack() : std::string(1, Frame::NAK);
            return answer(list.count(code) ? "1" : "0");
        };
    }
    Enrolment enrolment(EnrolmentJournal* journal = nullptr)
    {
        return Enrolment(
            lettori.Comunicazione(), 1, {},
            [this] { return stopAt >= 0 && std::ptrdiff_t(exchanges.size()) >= stopAt; }, journal);
    }
    // A write of `all` journalled at `path` for the reader `where` names.
    Enrolment::Report writeWith(const std::filesystem::path& path, const std::vector<std::string>& all,
                                const std::string& where = "port 1 term 1")
    {
        EnrolmentJournal journal;
        EXPECT_TRUE(journal.open(path, EnrolmentJournal::identity(all, where)));
        return enrolment(&journal).write(all);
    }
    std::string sent() const
    {
        return joined(exchanges, [](const std::string& exchange) { return exchange; });
    }
    // "code esito status" per outcome, "|" between, codes without their zeros.
    static std::string outcomes(const std::vector<Outcome>& all)
    {
        return joined(all, [](const Outcome& o) {
            return std::to_string(std::stoull(o.code)) + " " + std::to_string(o.esito) + " " + o.status;
        });
    }
    static std::vector<std::string> codes(std::initializer_list<int> numbers)
    {
        std::vector<std::string> out;
        for (const int n : numbers)
            out.push_back(BadgeCode::fromNumber(n));
        return out;
    }

    std::set<std::string> list, silent, kept;
    std::size_t capacity = 10;
    std::ptrdiff_t stopAt = -1;  // a stop is asked once this many exchanges went out; -1: never
    std::vector<std::string> exchanges;
};

// A dry run only checks the list's codes and the range's; one listed in the range is extra.
TEST_F(EnrolmentTest, DryRunChecksTheListAndTheRangeOnly)
{
    list = {BadgeCode::fromNumber(42), BadgeCode::fromNumber(100)};
    const Enrolment::Report report = enrolment().compare(codes({42, 43, 100}), Enrolment::Range{99, 101});
    EXPECT_EQ(sent(), "chk 99|chk 101|chk 42|chk 43|chk 100");
    EXPECT_EQ(outcomes(report.checked), "42 0 1|43 0 0|100 0 1");
    EXPECT_TRUE(report.extra().empty());
    list.insert(BadgeCode::fromNumber(101));
    EXPECT_EQ(enrolment().compare(codes({42}), Enrolment::Range{101, 101}).extra(), codes({101}));
}

// Extra codes go first (they may fill the list), then each code is added, read back, and any mismatch named.
TEST_F(EnrolmentTest, WriteRemovesAddsThenReadsBackAndNamesEachMismatch)
{
    list = {BadgeCode::fromNumber(42), BadgeCode::fromNumber(100), BadgeCode::fromNumber(101)};
    capacity = 3;
    silent = {BadgeCode::fromNumber(44)};
    kept = {BadgeCode::fromNumber(101)};
    const Enrolment::Report report = enrolment().write(codes({42, 43, 44, 45}), Enrolment::Range{100, 101});
    EXPECT_EQ(sent(), "chk 100|chk 101|del 100|del 101|add 42|add 43|add 44|add 45|chk 42|chk 43|chk 44|chk 45|"
                      "chk 100|chk 101");
    EXPECT_EQ(outcomes(report.added), "42 0 1|43 0 0|44 1 |45 0 2");
    EXPECT_TRUE(report.finished());
    std::string mismatches;
    for (const auto& m : report.mismatches())
        mismatches += std::to_string(std::stoull(m.code)) + " " + m.reason + "|";
    EXPECT_EQ(mismatches, "44 assente, CreaBadge esito 1|45 lista piena|101 ancora presente|");
}

// Across a stopped, a failed and a whole run each exchange goes out once; another reader's journal does not count.
TEST_F(EnrolmentTest, AStoppedRunResumesFromItsJournal)
{
    const auto path = std::filesystem::path(testing::TempDir()) / "enrolment-resumed.journal";
    std::filesystem::remove(path);
    const std::vector<std::string> all = codes({1, 2, 3});
    stopAt = 2;
    EXPECT_TRUE(writeWith(path, all).stopped);
    std::ofstream(path, std::ios::app) << "A 00000";
    stopAt = -1;
    port.failNext("write", PortError(PortFailure::Other, 8020, "gone"));
    EXPECT_EQ(writeWith(path, all).esito, Esito::PortFailed);
    const Enrolment::Report last = writeWith(path, all);
    EXPECT_EQ(sent(), "add 1|add 2|add 3|chk 1|chk 2|chk 3");
    EXPECT_EQ(outcomes(last.added) + " / " + outcomes(last.checked), "1 0 0|2 0 0|3 0 0 / 1 0 1|2 0 1|3 0 1");
    EXPECT_EQ(last.resumed, 2u);
    exchanges.clear();
    writeWith(path, all, "port 1 term 2");
    EXPECT_EQ(sent(), "add 1|add 2|add 3|chk 1|chk 2|chk 3");
}

// An unanswered add is added and checked again by the next run; a code not sent again keeps its check.
TEST_F(EnrolmentTest, ACodeAddedAgainIsCheckedAgain)
{
    const auto path = std::filesystem::path(testing::TempDir()) / "enrolment-again.journal";
    std::filesystem::remove(path);
    const std::vector<std::string> all = codes({1, 2, 3, 4});
    silent = {BadgeCode::fromNumber(3)};
    stopAt = 7;  // before the check of 4
    writeWith(path, all);
    silent.clear();
    stopAt = -1;
    exchanges.clear();
    const Enrolment::Report again = writeWith(path, all);
    EXPECT_EQ(sent(), "add 3|chk 3|chk 4");
    EXPECT_TRUE(again.mismatches().empty());
}

TEST(CodeRangeTest, TwoCodesInOrderAtMostMaxSizeApart)
{
    const std::pair<const char*, bool> rows[] = {
        {"0000000001-3", true}, {"1-100000", true}, {"3-1", false},           {"0-100000", false},
        {"1", false},           {"a-b", false},     {"1-12345678901", false},
    };
    for (const auto& [text, valid] : rows)
        EXPECT_EQ(CodeRange::parse(text).has_value(), valid) << text;
}

}  // namespace
}  // namespace lettore::test
