#include "TrafficLogFilter.h"

#include "TrafficLogModel.h"

#include <algorithm>

namespace lettore {

TrafficLogFilter::TrafficLogFilter(TrafficLogModel& model, QObject* parent)
    : QAbstractTableModel(parent), m_model(model)
{
    connect(&model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { sourceInserted(first, last); });
    connect(&model, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex&, int first, int last) { sourceRemoved(first, last); });
    connect(&model, &QAbstractItemModel::modelReset, this, &TrafficLogFilter::rebuild);
    connect(&model, &QAbstractItemModel::headerDataChanged, this, &QAbstractItemModel::headerDataChanged);
    rebuild();
}

void TrafficLogFilter::setDirection(std::optional<TrafficRow::Direction> direction)
{
    m_direction = direction;
    rebuild();
}

void TrafficLogFilter::setAddress(std::optional<int> address)
{
    m_address = address;
    rebuild();
}

void TrafficLogFilter::setKind(std::optional<TrafficRow::Kind> kind)
{
    m_kind = kind;
    rebuild();
}

bool TrafficLogFilter::accepts(int sourceRow) const
{
    const TrafficStore& rows = m_model.store();
    const auto at = std::size_t(sourceRow);
    return (!m_direction || rows.direction(at) == *m_direction) && (!m_kind || rows.kind(at) == *m_kind)
           && (!m_address || rows.reader(at) == *m_address);
}

void TrafficLogFilter::rebuild()
{
    beginResetModel();
    m_shown.clear();
    const int count = m_model.rowCount();
    if (!m_direction && !m_address && !m_kind) {
        m_shown.resize(std::size_t(count));
        for (int i = 0; i < count; ++i)
            m_shown[std::size_t(i)] = i;
    } else {
        for (int i = 0; i < count; ++i)
            if (accepts(i))
                m_shown.push_back(i);
    }
    endResetModel();
}

void TrafficLogFilter::sourceInserted(int first, int last)
{
    // The model only appends.
    std::vector<int> added;
    for (int i = first; i <= last; ++i)
        if (accepts(i))
            added.push_back(i);
    if (added.empty())
        return;
    const int at = int(m_shown.size());
    beginInsertRows({}, at, at + int(added.size()) - 1);
    m_shown.insert(m_shown.end(), added.begin(), added.end());
    endInsertRows();
}

void TrafficLogFilter::sourceRemoved(int first, int last)
{
    // The model only drops from the front; the rows after move up.
    const int removed = last - first + 1;
    const auto begin = std::lower_bound(m_shown.begin(), m_shown.end(), first);
    const auto end = std::lower_bound(begin, m_shown.end(), last + 1);
    if (begin != end) {
        beginRemoveRows({}, int(begin - m_shown.begin()), int(end - m_shown.begin()) - 1);
        const auto next = m_shown.erase(begin, end);
        for (auto i = next; i != m_shown.end(); ++i)
            *i -= removed;
        endRemoveRows();
    } else {
        for (auto i = end; i != m_shown.end(); ++i)
            *i -= removed;
    }
}

TrafficRow TrafficLogFilter::shownRow(int row) const { return m_model.row(sourceRow(row)); }

int TrafficLogFilter::shownIndex(int source) const
{
    const auto found = std::lower_bound(m_shown.begin(), m_shown.end(), source);
    return found != m_shown.end() && *found == source ? int(found - m_shown.begin()) : -1;
}

int TrafficLogFilter::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_shown.size()); }

int TrafficLogFilter::columnCount(const QModelIndex& parent) const { return m_model.columnCount(parent); }

QVariant TrafficLogFilter::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_shown.size()))
        return {};
    return m_model.data(m_model.index(sourceRow(index.row()), index.column()), role);
}

QVariant TrafficLogFilter::headerData(int section, Qt::Orientation orientation, int role) const
{
    return m_model.headerData(section, orientation, role);
}

}  // namespace lettore
