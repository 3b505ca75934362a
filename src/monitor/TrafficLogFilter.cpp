#include "TrafficLogFilter.h"

#include "TrafficLogModel.h"

namespace lettore {

TrafficLogFilter::TrafficLogFilter(TrafficLogModel& model, QObject* parent)
    : QSortFilterProxyModel(parent), m_model(model)
{
    setSourceModel(&model);
}

void TrafficLogFilter::setDirection(std::optional<TrafficRow::Direction> direction)
{
    m_direction = direction;
    invalidateRowsFilter();
}

void TrafficLogFilter::setAddress(std::optional<int> address)
{
    m_address = address;
    invalidateRowsFilter();
}

void TrafficLogFilter::setKind(std::optional<TrafficRow::Kind> kind)
{
    m_kind = kind;
    invalidateRowsFilter();
}

const TrafficRow& TrafficLogFilter::shownRow(int row) const
{
    return m_model.row(mapToSource(index(row, 0)).row());
}

bool TrafficLogFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const
{
    const TrafficRow& row = m_model.row(sourceRow);
    return (!m_direction || row.direction == *m_direction) && (!m_address || row.address == m_address)
           && (!m_kind || row.kind == *m_kind);
}

}  // namespace lettore
