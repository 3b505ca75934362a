#include "TransactionDownload.h"
#include "Esito.h"
#include "ReaderRig.h"
#include "TransactionFile.h"

#include <filesystem>
#include <fstream>

namespace lettore::test {
namespace {

constexpr const char* Query = "1 3";  // GetTransazione to reader 1
constexpr const char* Ack = "1 \x06";  // SendACK to reader 1

// A reader's stored records behind the port, and a sink; `events` notes each frame and each sink call.
class TransactionDownloadTest : public ReaderRig, public TransactionSink {
protected:
    TransactionDownloadTest()
    {
        reply = [this](const std::string& frame) {
            const Frame sent = *Frame::decode(frame);
            events.push_back(std::to_string(sent.term) + " " + sent.data);
            const bool confirm = sent.data == ack();
            if (confirm && !stored.empty())
                stored.erase(stored.begin());
            return confirm ? std::string() : answer(stored.empty() ? "0" : stored.front());
        };
    }
    TransactionDownload::Result download()
    {
        const auto at = [] { return std::chrono::sys_days(std::chrono::year(2000) / 1 / 1); };
        return TransactionDownload(
                   lettori.Comunicazione(), 1, *this, {}, [this] { return --stopIn == 0; }, at)
            .run();
    }

    bool append(TransactionRecord& r) override
    {
        events.push_back("append " + std::to_string(r.reader) + " " + r.downloaded + " " + r.status + " " + r.code);
        return failing != "append";
    }
    bool flush() override { return events.push_back("flush"), failing != "flush"; }
    void confirmed() override { events.push_back("confirmed"); }
    void drained() override { events.push_back("drained"); }
    std::string error() const override { return "full disk"; }

    std::vector<std::string> stored;  // status character and codes, oldest first
    std::vector<std::string> events;
    std::string failing;  // the sink call that fails
    int stopIn = 0;  // a stop is asked at this check (two a record); 0: never
};

// Each record is stored before its acknowledgement; a late answer to an earlier request is not taken for one.
TEST_F(TransactionDownloadTest, StoresAndFlushesEachRecordBeforeItsAcknowledgement)
{
    lettori.Comunicazione().setQuietGapAfterTimeOut(1500);
    lettori.Comunicazione().setAttivo(true);
    port.feedAt(clock.nowMs() + 5, answer("10000000042"));  // the late answer
    stored = {"10000000042", "000000000430000000044"};
    const TransactionDownload::Result result = download();
    EXPECT_EQ(events,
              (std::vector<std::string>{Query, "append 1 2000-01-01T00:00:00.000Z 1 0000000042", "flush", Ack,
                                        "confirmed", Query, "append 1 2000-01-01T00:00:00.000Z 0 00000000430000000044",
                                        "flush", Ack, "confirmed", Query, "drained"}));
    EXPECT_EQ(result.records, 2);
    EXPECT_EQ(result.esito, 0);
}

// A record the sink could not keep is never acknowledged; a stop comes between two records.
TEST_F(TransactionDownloadTest, NothingUnstoredIsAcknowledged)
{
    stored = {"10000000042", "10000000043"};
    for (const std::string call : {"append", "flush"}) {
        events.clear();
        failing = call;
        EXPECT_TRUE(download().sinkFailed);
        EXPECT_EQ(events.size(), call == "append" ? 2u : 3u) << call;  // the query, append (and flush)
        EXPECT_EQ(std::count(events.begin(), events.end(), Ack), 0) << call;
    }
    failing.clear();
    stopIn = 3;
    const TransactionDownload::Result stopped = download();
    EXPECT_TRUE(stopped.stopped);
    EXPECT_EQ(stopped.records, 1);
    EXPECT_EQ(stored, std::vector<std::string>{"10000000043"});
    events.clear();
    reply = [](const std::string&) { return std::string(); };
    EXPECT_EQ(download().esito, Esito::TimedOut);
    EXPECT_TRUE(events.empty());
}

class TransactionFileTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(folder); }
    void TearDown() override { std::filesystem::remove_all(folder); }
    // A record appended as a run does, `confirm`ed or killed before; whether it was a repeat.
    bool store(const std::string& code, bool confirm = true, const std::filesystem::path& into = {})
    {
        TransactionFile file;
        EXPECT_TRUE(file.open(into.empty() ? path : into, Reader)) << file.error();
        TransactionRecord record{1, "T", "1", code};
        EXPECT_TRUE(file.append(record) && file.flush());
        if (confirm)
            file.confirmed();
        return record.repeated;
    }
    std::string content() const
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static constexpr const char* Reader = "port /dev/ttyS0 term 1";
    // One folder a test: CTest runs the tests of this fixture at the same time.
    const std::filesystem::path folder
        = testing::TempDir() + "transaction-file-" + testing::UnitTest::GetInstance()->current_test_info()->name();
    const std::filesystem::path path = folder / "t.csv";
};

// A record unconfirmed at a kill is a repeat in the next run, in any file of the folder; no other record is.
TEST_F(TransactionFileTest, ARecordNotConfirmedComesBackMarkedAsARepeat)
{
    EXPECT_FALSE(store("0000000042", false));
    EXPECT_TRUE(store("0000000042"));
    EXPECT_FALSE(store("0000000042"));  // a second transaction of the same badge
    EXPECT_EQ(content(), "reader,downloaded,status,code,repeated\r\n"
                         "1,T,1,=\"0000000042\",\r\n1,T,1,=\"0000000042\",yes\r\n1,T,1,=\"0000000042\",\r\n");
    EXPECT_EQ(TransactionFile::countRecords(path), 3u);

    const auto before = std::filesystem::file_size(path);
    store("0000000043", false);
    std::filesystem::resize_file(path, before);  // the row never reached the disk
    EXPECT_FALSE(store("0000000043"));
    store("0000000044", false);
    TransactionFile drained;
    ASSERT_TRUE(drained.open(path, Reader));
    drained.drained();  // the reader had it dropped after all
    EXPECT_FALSE(store("0000000044"));
    EXPECT_FALSE(std::filesystem::exists(TransactionFile::unconfirmedPath(path, Reader)));
    EXPECT_EQ(TransactionFile::unconfirmedPath(path, Reader).filename(), "lettore-unconfirmed-port--dev-ttyS0-term-1");
    store("0000000045", false);
    EXPECT_TRUE(store("0000000045", true, folder / "next.csv"));
}

// Another file is never appended to; a row cut short is ended before the next.
TEST_F(TransactionFileTest, RefusesAForeignFileAndEndsARowCutShort)
{
    std::ofstream(path) << "Codice\n0042\n";
    TransactionFile file;
    EXPECT_FALSE(file.open(path, Reader));
    EXPECT_EQ(file.error(),
              "its first line is not \"reader,downloaded,status,code,repeated\": not a transactions file");
    EXPECT_EQ(TransactionFile::countRecords(path), std::nullopt);
    std::ofstream(path, std::ios::trunc | std::ios::binary) << TransactionFile::header() << "1,T,1,=\"00";
    store("0000000042");
    EXPECT_EQ(content(), TransactionFile::header() + "1,T,1,=\"00\r\n1,T,1,=\"0000000042\",\r\n");
}

}  // namespace
}  // namespace lettore::test
