#pragma once

#include "TrafficRow.h"

#include <QAbstractTableModel>

#include <optional>
#include <vector>

namespace lettore {

class TrafficLogModel;

// The traffic log's rows that match a direction, an address and a kind;
// a criterion left empty matches every row. The address keeps a reader's
// exchanges whole: its commands, its answers, the lone ACK or NAK and the
// time-out that ended them, the noise within them, and its readings. The
// rows shown are a list of the model's row numbers, made again in one
// pass on a change of criteria and grown as the model grows.
class TrafficLogFilter : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit TrafficLogFilter(TrafficLogModel& model, QObject* parent = nullptr);

    void setDirection(std::optional<TrafficRow::Direction> direction);
    void setAddress(std::optional<int> address);
    void setKind(std::optional<TrafficRow::Kind> kind);

    // The source row shown at `row`.
    TrafficRow shownRow(int row) const;
    int sourceRow(int row) const { return m_shown[std::size_t(row)]; }
    // The shown row of source row `source`, or -1.
    int shownIndex(int source) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    bool accepts(int sourceRow) const;
    void rebuild();
    void sourceInserted(int first, int last);
    void sourceRemoved(int first, int last);

    TrafficLogModel& m_model;
    std::optional<TrafficRow::Direction> m_direction;
    std::optional<int> m_address;
    std::optional<TrafficRow::Kind> m_kind;
    std::vector<int> m_shown;
};

}  // namespace lettore
