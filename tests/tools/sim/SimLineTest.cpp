#include "Framing.h"
#include "HostEnd.h"
#include "VirtualLine.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Test rows are named after their first field.
const auto rowName = [](const auto& info) { return std::string(info.param.name); };

using lettore::Framing;
using lettore::test::HostEnd;
using namespace lettore::sim;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string Ack(1, Framing::ACK);
const std::string Nak(1, Framing::NAK);

std::string request(int16_t term, const char* type, const std::string& data)
{
    return Framing::sibrant2Frame(term, type, data);
}

std::string answer(int16_t term, const std::string& data) { return request(term, "P", data); }

ReaderSettings reader(const std::string& text) { return ReaderSettings::parse(text); }

std::chrono::milliseconds since(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

// A line with its loop on its own thread, and the host's end opened on it.
class SimLineTest : public testing::Test {
protected:
    void open(const std::vector<ReaderSettings>& readers, LineSettings settings = {})
    {
        m_line = std::make_unique<VirtualLine>(readers, settings, &m_log);
        m_line->start();
        m_host = std::make_unique<HostEnd>(m_line->slavePath());
    }

    void submit(const std::string& text) { m_line->submit(LineCommand::parse(text)); }

    std::ostringstream m_log;  // written by the line's thread; read after it stops
    std::unique_ptr<VirtualLine> m_line;
    std::unique_ptr<HostEnd> m_host;
};

TEST_F(SimLineTest, AnswersOnlyItsOwnAddress)
{
    open({reader("1"), reader("2:firmware=SECOND READER 20")});
    EXPECT_EQ(m_host->exchange(request(1, "P", "2")), answer(1, "SIM LETTORE 1.00"));
    EXPECT_EQ(m_host->exchange(request(2, "P", "2")), answer(2, "SECOND READER 20"));
    EXPECT_EQ(m_host->exchange(request(3, "P", "2"), 300ms), "");
}

TEST_F(SimLineTest, FrameAtAnotherRateIsIgnored)
{
    open({reader("1"), reader("5:baud=19200")});
    EXPECT_EQ(m_host->exchange(request(5, "P", "2"), 300ms), "");
    m_host->setBaudRate(19200);
    EXPECT_EQ(m_host->exchange(request(5, "P", "2")), answer(5, "SIM LETTORE 1.00"));
    EXPECT_EQ(m_host->exchange(request(1, "P", "2"), 300ms), "");
}

TEST_F(SimLineTest, BroadcastIsCarriedOutButUnanswered)
{
    open({reader("1"), reader("2")});
    EXPECT_EQ(m_host->exchange(request(256, "S", "410000000042"), 300ms), "");
    EXPECT_EQ(m_host->exchange(request(1, "P", "70000000042")), answer(1, "1"));
    EXPECT_EQ(m_host->exchange(request(2, "P", "70000000042")), answer(2, "1"));
}

TEST_F(SimLineTest, BadCheckCharacterGetsLoneNak)
{
    open({reader("1")});
    std::string bad = request(1, "S", "410000000042");
    bad.back() = static_cast<char>(bad.back() ^ 0x01);
    EXPECT_EQ(m_host->exchange(bad), Nak);
    // Nothing was stored.
    EXPECT_EQ(m_host->exchange(request(1, "P", "70000000042")), answer(1, "0"));
}

TEST_F(SimLineTest, SerialSetupMovesReaderToNewAddressAndRate)
{
    open({reader("1")});
    // New address 5 at 19200: acknowledged at the old rate.
    EXPECT_EQ(m_host->exchange(request(1, "S", "2054")), Ack);
    EXPECT_EQ(m_host->exchange(request(1, "P", "2"), 300ms), "");
    EXPECT_EQ(m_host->exchange(request(5, "P", "2"), 300ms), "");
    m_host->setBaudRate(19200);
    EXPECT_EQ(m_host->exchange(request(5, "P", "2")), answer(5, "SIM LETTORE 1.00"));
}

TEST_F(SimLineTest, MultimasterReadingRepeatsEveryTwoSeconds)
{
    LineSettings settings;
    settings.multimaster = true;
    open({reader("5")}, settings);
    const auto start = Clock::now();
    submit("present 5 0000000042");
    const std::string reading = answer(5, "00000000042");
    EXPECT_EQ(m_host->readAnswer(500ms), reading);
    EXPECT_EQ(m_host->readAnswer(2500ms), reading);
    const auto interval = since(start);
    EXPECT_GE(interval, 1900ms);
    EXPECT_LE(interval, 2400ms);
}

TEST_F(SimLineTest, MultimasterReadingStopsWhenAcknowledged)
{
    LineSettings settings;
    settings.multimaster = true;
    settings.readingRepeat = 200ms;
    open({reader("5"), reader("6")}, settings);
    submit("present 5 0000000042");
    submit("present 5 0000000043");
    const std::string first = answer(5, "00000000042");
    EXPECT_EQ(m_host->readAnswer(500ms), first);
    EXPECT_EQ(m_host->readAnswer(500ms), first);
    // An acknowledgement to another reader confirms nothing here.
    m_host->write(request(6, "P", Ack));
    EXPECT_EQ(m_host->readAnswer(500ms), first);
    m_host->write(request(5, "P", Ack));
    // The next reading goes out at once, and is the only thing that does.
    const std::string after = m_host->readFor(300ms);
    EXPECT_EQ(after.substr(after.size() - 16), answer(5, "00000000043"));
    m_host->write(request(5, "P", Ack));
    m_host->readFor(50ms);
    EXPECT_EQ(m_host->readFor(500ms), "");
}

TEST_F(SimLineTest, BadgesPresentedOnScheduleGoToEachReaderInTurn)
{
    LineSettings settings;
    settings.multimaster = true;
    settings.presentEverySeconds = 1;
    settings.presentCodes = {"0000000007"};
    open({reader("5"), reader("6")}, settings);
    EXPECT_EQ(m_host->readAnswer(1500ms), answer(5, "00000000007"));
    EXPECT_EQ(m_host->readAnswer(1500ms), answer(6, "00000000007"));
}

struct FaultCase {
    const char* name;
    const char* fault;
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class SimFaultTest : public SimLineTest, public testing::WithParamInterface<FaultCase> {
protected:
    // Reader 1 has the fault from its option, reader 2 from a command.
    void openWithFault()
    {
        LineSettings settings;
        settings.lateBy = 600ms;
        settings.splitPause = 150ms;
        open({reader(std::string("1:fault=") + GetParam().fault), reader("2")}, settings);
        submit(std::string("fault 2 ") + GetParam().fault);
    }
};

TEST_P(SimFaultTest, BothReadersShowTheFault)
{
    openWithFault();
    const std::string firmware = "SIM LETTORE 1.00";
    const std::string fault = GetParam().fault;
    for (int16_t address : {1, 2}) {
        SCOPED_TRACE(address);
        const std::string good = answer(address, firmware);
        const auto start = Clock::now();
        m_host->write(request(address, "P", "2"));
        if (fault == "silent") {
            EXPECT_EQ(m_host->readFor(400ms), "");
        } else if (fault == "badbcc") {
            const std::string got = m_host->readAnswer();
            ASSERT_EQ(got.size(), good.size());
            EXPECT_EQ(got.substr(0, got.size() - 1), good.substr(0, good.size() - 1));
            EXPECT_FALSE(Framing::VerificaRisposta(got));
        } else if (fault == "noise") {
            const std::string got = m_host->readFor(300ms);
            ASSERT_GT(got.size(), good.size());
            EXPECT_EQ(got.substr(got.size() - good.size()), good);
            EXPECT_EQ(got.find(Framing::STX), got.size() - good.size());
            EXPECT_EQ(got.find_first_of(Ack + Nak), std::string::npos);
        } else if (fault == "split") {
            EXPECT_EQ(m_host->readAnswer(), good);
            EXPECT_GE(since(start), 280ms);  // two pauses
        } else if (fault == "late") {
            EXPECT_EQ(m_host->readFor(450ms), "");
            EXPECT_EQ(m_host->readAnswer(), good);
            EXPECT_GE(since(start), 590ms);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, SimFaultTest,
                         testing::Values(FaultCase{"silent", "silent"}, FaultCase{"badbcc", "badbcc"},
                                         FaultCase{"noise", "noise"}, FaultCase{"split", "split"},
                                         FaultCase{"late", "late"}),
    rowName);

TEST_F(SimLineTest, DropFaultClosesTheLine)
{
    open({reader("1:fault=drop")});
    m_host->write(request(1, "P", "2"));
    EXPECT_TRUE(m_host->waitForHangup(1000ms));
}

TEST_F(SimLineTest, PacedAnswerTakesTheLinesByteTime)
{
    LineSettings settings;
    settings.pace = true;
    open({reader("1:baud=1200")}, settings);
    m_host->setBaudRate(1200);
    const auto start = Clock::now();
    EXPECT_EQ(m_host->exchange(request(1, "P", "2")), answer(1, "SIM LETTORE 1.00"));
    // 6 request and 21 answer bytes of 10 bits at 1200 baud: 225 ms.
    const auto took = since(start);
    EXPECT_GE(took, 215ms);
    EXPECT_LE(took, 450ms);
}

TEST_F(SimLineTest, LogShowsFramesBothWays)
{
    open({reader("1")});
    m_host->exchange(request(1, "S", "3010005000"));
    m_line.reset();
    const std::string log = m_log.str();
    EXPECT_NE(log.find("RX 9600 [02 30 31 33 30 31 30 30 30 35 30 30 30 03 07] reader 1 S: output test 010005000"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("TX 9600 [06] ACK"), std::string::npos) << log;
    EXPECT_NE(log.find("relay 010, buzzer 005, green LED 000"), std::string::npos) << log;
}

TEST(SimLinkTest, LinkPointsAtTheDeviceUntilTheLineCloses)
{
    const auto link = std::filesystem::temp_directory_path() / ("COM-sim-" + std::to_string(::getpid()));
    {
        VirtualLine line({ReaderSettings{}}, {});
        line.linkAs(link.string());
        EXPECT_EQ(std::filesystem::read_symlink(link).string(), line.slavePath());
    }
    EXPECT_FALSE(std::filesystem::is_symlink(link));
}

TEST(SimLinkTest, NewerLineKeepsTheLinkAndNoFileIsReplaced)
{
    const auto link = std::filesystem::temp_directory_path() / ("COM-sim2-" + std::to_string(::getpid()));
    auto older = std::make_unique<VirtualLine>(std::vector{ReaderSettings{}}, LineSettings{});
    older->linkAs(link.string());
    VirtualLine newer({ReaderSettings{}}, {});
    newer.linkAs(link.string());
    older.reset();
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), newer.slavePath());
    std::filesystem::remove(link);

    std::ofstream(link.string()) << "keep me";
    EXPECT_THROW(newer.linkAs(link.string()), std::system_error);
    EXPECT_TRUE(std::filesystem::is_regular_file(link));
    std::filesystem::remove(link);
}

// The program itself: first line the device path, clean exit on SIGTERM.
TEST(SimProgramTest, PrintsDeviceAnswersAndExitsOnSigterm)
{
    const auto link = std::filesystem::temp_directory_path() / ("COM-prog-" + std::to_string(::getpid()));
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::execl(LETTORE_SIM_PROGRAM, "lettore-sim", "--link", link.c_str(), "--reader", "3", nullptr);
        ::_exit(127);
    }
    ::close(out[1]);
    FILE* output = ::fdopen(out[0], "r");
    char path[256] = {};
    ASSERT_NE(std::fgets(path, sizeof path, output), nullptr);
    std::string device(path);
    device.pop_back();
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), device);
    {
        HostEnd host(link.string());
        EXPECT_EQ(host.exchange(request(3, "P", "2")), answer(3, "SIM LETTORE 1.00"));
    }
    ::kill(child, SIGTERM);
    int status = 0;
    ::waitpid(child, &status, 0);
    std::fclose(output);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_FALSE(std::filesystem::is_symlink(link));
}

}  // namespace
