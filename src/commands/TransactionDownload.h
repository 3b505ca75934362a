#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace lettore {

class clsComunicazioni;

// One stored transaction as downloaded.
struct TransactionRecord {
    int reader = 0;
    std::string downloaded;  // when it was read, UTC (isoTime)
    std::string status;  // the reader's status character (the answer's first data character)
    std::string code;  // the rest of the record: its badge codes, as text
    // The record was stored before but not confirmed to the reader, which
    // sent it again: the same transaction, not a new one.
    bool repeated = false;
};

// Where downloaded transactions are kept. Each call returns false when it
// failed, error() saying why; the download then stops without confirming
// the record to the reader, which keeps it.
class TransactionSink {
public:
    virtual ~TransactionSink() = default;
    // Keeps `record`, marking it `repeated` when it is one.
    virtual bool append(TransactionRecord& record) = 0;
    // Makes what was appended durable: on the disk.
    virtual bool flush() = 0;
    // The reader was told to drop the record appended last.
    virtual void confirmed() = 0;
    // The reader holds no more records: none sent earlier can come again.
    virtual void drained() = 0;
    virtual std::string error() const = 0;
};

// Reads every transaction a reader stores, one at a time: GetTransazione
// brings the oldest, which is appended to the sink and flushed there
// before SendACK tells the reader to drop it. A kill at any moment thus
// loses no record: one not yet confirmed is sent again by the next run.
// The run ends when the reader answers with no record (an answer too short
// to carry one), at a failed exchange, when the sink fails, or between two
// records when asked to stop.
class TransactionDownload {
public:
    struct Result {
        int16_t esito = 0;  // the failed exchange's result code, else 0
        int records = 0;  // records stored and confirmed
        int repeated = 0;  // of which repeats of a record stored before
        bool stopped = false;
        bool sinkFailed = false;  // the sink's error() says why
    };
    // Called once a record is stored and confirmed.
    using Progress = std::function<void(const TransactionRecord&)>;
    using StopRequested = std::function<bool()>;
    using Now = std::function<std::chrono::system_clock::time_point()>;

    TransactionDownload(clsComunicazioni& link, int16_t term, TransactionSink& sink, Progress progress = {},
                        StopRequested stop = {}, Now now = std::chrono::system_clock::now);

    Result run() const;

private:
    clsComunicazioni& m_link;
    int16_t m_term = 0;
    TransactionSink& m_sink;
    Progress m_progress;
    StopRequested m_stop;
    Now m_now;
};

}  // namespace lettore
