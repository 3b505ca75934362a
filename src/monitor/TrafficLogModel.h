#pragma once

#include "TrafficRow.h"

#include <QAbstractTableModel>
#include <QTimer>

#include <deque>
#include <vector>

namespace lettore {

// The rows of the traffic log, the newest last, at most `capacity` of them:
// older ones are dropped and counted. Rows handed in are shown in batches,
// at most every BatchMs, so a fast line costs one insertion per batch
// rather than one per frame. While paused, rows handed in wait (within the
// same capacity) and are shown on resuming.
class TrafficLogModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Time, Direction, Kind, Fields, Hex, Text, ColumnCount };
    static constexpr int DefaultCapacity = 100000;
    static constexpr int BatchMs = 100;

    explicit TrafficLogModel(int capacity = DefaultCapacity, QObject* parent = nullptr);

    void append(std::vector<TrafficRow>&& rows);
    // Shows the rows waiting now rather than at the end of the batch.
    void showWaiting();
    void setPaused(bool paused);
    bool paused() const { return m_paused; }
    // Drops every row, shown and waiting, and the count of dropped ones.
    void clear();

    const TrafficRow& row(int index) const { return m_rows[static_cast<std::size_t>(index)]; }
    // Rows dropped to stay within the capacity since the last clear.
    long long dropped() const { return m_dropped; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    // The shown rows or the dropped count changed.
    void countsChanged();

private:
    std::size_t m_capacity;
    std::deque<TrafficRow> m_rows;
    std::vector<TrafficRow> m_waiting;
    long long m_dropped = 0;
    bool m_paused = false;
    QTimer m_batch;
};

}  // namespace lettore
