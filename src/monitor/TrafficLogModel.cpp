#include "TrafficLogModel.h"

#include "ByteText.h"
#include "TrafficText.h"

#include <QBrush>
#include <QColor>

namespace lettore {

namespace {

// The monitor's colours: commands green, answers red, line events blue.
QColor colourOf(TrafficRow::Direction direction)
{
    switch (direction) {
    case TrafficRow::Direction::Sent: return {0, 128, 0};
    case TrafficRow::Direction::Received:
    case TrafficRow::Direction::Discarded: return {128, 0, 0};
    case TrafficRow::Direction::Line: return {0, 0, 128};
    }
    return {};
}

QString latin1(const std::string& text) { return QString::fromLatin1(text.data(), qsizetype(text.size())); }

}  // namespace

TrafficLogModel::TrafficLogModel(int capacity, QObject* parent)
    : QAbstractTableModel(parent), m_capacity(static_cast<std::size_t>(std::max(capacity, 1)))
{
    m_batch.setSingleShot(true);
    m_batch.setInterval(BatchMs);
    connect(&m_batch, &QTimer::timeout, this, &TrafficLogModel::showWaiting);
}

void TrafficLogModel::append(std::vector<TrafficRow>&& rows)
{
    for (TrafficRow& row : rows)
        m_waiting.push_back(std::move(row));
    // Waiting rows beyond the capacity would be dropped on showing anyway.
    if (m_waiting.size() > m_capacity) {
        const std::size_t excess = m_waiting.size() - m_capacity;
        m_waiting.erase(m_waiting.begin(), m_waiting.begin() + static_cast<long>(excess));
        m_dropped += static_cast<long long>(excess);
    }
    if (!m_paused && !m_batch.isActive())
        m_batch.start();
}

void TrafficLogModel::showWaiting()
{
    m_batch.stop();
    if (m_paused || m_waiting.empty())
        return;
    const std::size_t excess = m_rows.size() + m_waiting.size() > m_capacity
                                   ? std::min(m_rows.size(), m_rows.size() + m_waiting.size() - m_capacity)
                                   : 0;
    if (excess > 0) {
        beginRemoveRows({}, 0, int(excess) - 1);
        m_rows.erase(m_rows.begin(), m_rows.begin() + static_cast<long>(excess));
        m_dropped += static_cast<long long>(excess);
        endRemoveRows();
    }
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(m_waiting.size()) - 1);
    for (TrafficRow& row : m_waiting)
        m_rows.push_back(std::move(row));
    m_waiting.clear();
    endInsertRows();
    emit countsChanged();
}

void TrafficLogModel::setPaused(bool paused)
{
    m_paused = paused;
    if (!paused)
        showWaiting();
}

void TrafficLogModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_waiting.clear();
    m_dropped = 0;
    endResetModel();
    emit countsChanged();
}

int TrafficLogModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TrafficLogModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant TrafficLogModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const TrafficRow& r = row(index.row());
    if (role == Qt::ForegroundRole)
        return QBrush(colourOf(r.direction));
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case Time: return latin1(r.time);
    case Direction: return QString::fromLatin1(TrafficRow::name(r.direction));
    case Kind: return QString::fromLatin1(TrafficRow::name(r.kind));
    case Fields: return latin1(TrafficText::fields(r));
    case Hex: return latin1(ByteText::hex(r.bytes));
    case Text: return latin1(ByteText::escape(r.bytes));
    }
    return {};
}

QVariant TrafficLogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case Time: return tr("Ora");
    case Direction: return tr("Direzione");
    case Kind: return tr("Tipo");
    case Fields: return tr("Campi");
    case Hex: return tr("Hex");
    case Text: return tr("Testo");
    }
    return {};
}

}  // namespace lettore
