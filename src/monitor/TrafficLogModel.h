#pragma once

#include "ReaderStatistics.h"
#include "TrafficAnalyser.h"
#include "TrafficRow.h"
#include "TrafficStore.h"

#include <QAbstractTableModel>
#include <QTimer>

#include <vector>

namespace lettore {

// The rows of the traffic log, the newest last, at most `capacity` of them:
// older ones are dropped and counted. Each row is analysed as it comes
// (time since the row before, the command and exchange it belongs to, its
// latency and result) and counted in the statistics per reader. Rows
// handed in are shown in batches, at most every BatchMs, so a fast line
// costs one insertion per batch rather than one per frame. While paused,
// rows handed in wait and are shown on resuming; rows shown and waiting
// stay within the capacity (give or take a 64th, dropped in slices), and
// waiting costs what showing does.
class TrafficLogModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Time, Since, Direction, Kind, Meaning, Result, Latency, Fields, Hex, Text, ColumnCount };
    static constexpr int DefaultCapacity = 1000000;
    static constexpr int BatchMs = 100;

    explicit TrafficLogModel(int capacity = DefaultCapacity, QObject* parent = nullptr);

    void append(std::vector<TrafficRow>&& rows);
    // Shows the rows waiting now rather than at the end of the batch.
    void showWaiting();
    void setPaused(bool paused);
    bool paused() const { return m_paused; }
    // The line's rate: a silence inside a frame longer than 1.5 character
    // times at this rate is shown with the frame.
    void setBaudRate(int baud) { m_baud = std::max(baud, 1); }
    // Drops every row, shown and waiting, the count of dropped ones and the
    // statistics.
    void clear();

    TrafficRow row(int index) const { return m_rows.row(std::size_t(index)); }
    RowAnalysis analysis(int index) const { return m_rows.analysis(std::size_t(index)); }
    const TrafficStore& store() const { return m_rows; }
    // Rows dropped to stay within the capacity since the last clear.
    long long dropped() const { return m_dropped; }
    // Of every row handed in since the last clear, shown, waiting or dropped.
    const ReaderStatistics& statistics() const { return m_statistics; }

    // The log's words for a row's parts, in Italian.
    static QString directionName(TrafficRow::Direction direction);
    static QString kindName(TrafficRow::Kind kind);
    static QString fieldsText(const TrafficRow& row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    // The shown rows or the dropped count changed.
    void countsChanged();

private:
    std::size_t m_capacity;
    TrafficStore m_rows;
    TrafficStore m_waiting;
    TrafficAnalyser m_analyser;
    ReaderStatistics m_statistics;
    long long m_dropped = 0;
    bool m_paused = false;
    int m_baud = 9600;
    QTimer m_batch;
};

}  // namespace lettore
