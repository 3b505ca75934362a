#pragma once

#include "TrafficRow.h"

#include <QSortFilterProxyModel>

#include <optional>

namespace lettore {

class TrafficLogModel;

// The traffic log's rows that match a direction, an address and a kind;
// a criterion left empty matches every row.
class TrafficLogFilter : public QSortFilterProxyModel {
    Q_OBJECT

public:
    explicit TrafficLogFilter(TrafficLogModel& model, QObject* parent = nullptr);

    void setDirection(std::optional<TrafficRow::Direction> direction);
    void setAddress(std::optional<int> address);
    void setKind(std::optional<TrafficRow::Kind> kind);

    // The source row shown at `row`.
    const TrafficRow& shownRow(int row) const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    TrafficLogModel& m_model;
    std::optional<TrafficRow::Direction> m_direction;
    std::optional<int> m_address;
    std::optional<TrafficRow::Kind> m_kind;
};

}  // namespace lettore
