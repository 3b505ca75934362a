#include "TrafficLogModel.h"

#include "ByteText.h"
#include "Frame.h"

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

QString checkName(TrafficRow::Check check)
{
    switch (check) {
    case TrafficRow::Check::None: return {};
    case TrafficRow::Check::Good: return TrafficLogModel::tr("controllo corretto");
    case TrafficRow::Check::Wrong: return TrafficLogModel::tr("controllo errato");
    case TrafficRow::Check::CutShort: return TrafficLogModel::tr("troncato da ACK");
    case TrafficRow::Check::Rejected: return TrafficLogModel::tr("risposta rifiutata");
    }
    return {};
}

QString milliseconds(int ms) { return ms == RowAnalysis::None ? QString() : QString::number(ms); }

}  // namespace

TrafficLogModel::TrafficLogModel(int capacity, QObject* parent)
    : QAbstractTableModel(parent), m_capacity(static_cast<std::size_t>(std::max(capacity, 1)))
{
    m_batch.setSingleShot(true);
    m_batch.setInterval(BatchMs);
    connect(&m_batch, &QTimer::timeout, this, &TrafficLogModel::showWaiting);
}

QString TrafficLogModel::directionName(TrafficRow::Direction direction)
{
    switch (direction) {
    case TrafficRow::Direction::Sent: return QStringLiteral("TX");
    case TrafficRow::Direction::Received: return QStringLiteral("RX");
    case TrafficRow::Direction::Discarded: return tr("scartati");
    case TrafficRow::Direction::Line: return QStringLiteral("--");
    }
    return {};
}

QString TrafficLogModel::kindName(TrafficRow::Kind kind)
{
    switch (kind) {
    case TrafficRow::Kind::Command: return tr("comando");
    case TrafficRow::Kind::Answer: return tr("risposta");
    case TrafficRow::Kind::Reading: return tr("lettura");
    case TrafficRow::Kind::Ack: return QStringLiteral("ACK");
    case TrafficRow::Kind::Nak: return QStringLiteral("NAK");
    case TrafficRow::Kind::Noise: return tr("rumore");
    case TrafficRow::Kind::Unfinished: return tr("incompleto");
    case TrafficRow::Kind::TimedOut: return tr("time-out");
    case TrafficRow::Kind::PortFailed: return tr("errore porta");
    }
    return {};
}

QString TrafficLogModel::fieldsText(const TrafficRow& row)
{
    QStringList parts;
    if (!row.dialect.empty())
        parts << latin1(row.dialect);
    if (row.address)
        parts << (*row.address == Frame::Broadcast ? tr("tutti") : tr("indirizzo %1").arg(*row.address));
    if (!row.type.empty())
        parts << latin1(row.type);
    if (!row.data.empty())
        parts << tr("dati \"%1\"").arg(latin1(ByteText::escape(row.data)));
    if (const QString check = checkName(row.check); !check.isEmpty())
        parts << check;
    if (!row.note.empty())
        parts << QString::fromUtf8(row.note.data(), qsizetype(row.note.size()));
    return parts.join(' ');
}

void TrafficLogModel::append(std::vector<TrafficRow>&& rows)
{
    for (const TrafficRow& row : rows) {
        const RowAnalysis analysis = m_analyser.next(row);
        m_statistics.add(row, analysis);
        m_waiting.push(row, analysis);
    }
    if (!m_paused) {
        if (!m_batch.isActive())
            m_batch.start();
        return;
    }
    // While paused, the rows that showing would drop go now, the oldest
    // first, so the log holds no more than its capacity; a slice at a time,
    // so a flood costs no more than when the rows are shown.
    const std::size_t total = m_rows.size() + m_waiting.size();
    if (total < m_capacity + m_capacity / 64 + 1)
        return;
    const std::size_t excess = total - m_capacity;
    const std::size_t shown = std::min(excess, m_rows.size());
    if (shown > 0) {
        beginRemoveRows({}, 0, int(shown) - 1);
        m_rows.popFront(shown);
        endRemoveRows();
    }
    m_waiting.popFront(excess - shown);
    m_dropped += static_cast<long long>(excess);
    emit countsChanged();
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
        m_rows.popFront(excess);
        m_dropped += static_cast<long long>(excess);
        endRemoveRows();
    }
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(m_waiting.size()) - 1);
    for (std::size_t i = 0; i < m_waiting.size(); ++i)
        m_rows.pushFrom(m_waiting, i);
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
    m_analyser.reset();
    m_statistics.clear();
    endResetModel();
    emit countsChanged();
}

int TrafficLogModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

int TrafficLogModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant TrafficLogModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const std::size_t at = std::size_t(index.row());
    if (role == Qt::ForegroundRole)
        return QBrush(colourOf(m_rows.direction(at)));
    if (role == Qt::TextAlignmentRole && (index.column() == Since || index.column() == Latency))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const RowAnalysis a = m_rows.analysis(at);
    switch (index.column()) {
    case Since: return milliseconds(a.sincePreviousMs);
    case Latency: return milliseconds(a.latencyMs);
    case Direction: return directionName(m_rows.direction(at));
    case Kind: return kindName(m_rows.kind(at));
    case Result: return a.esito == RowAnalysis::None ? QString() : tr(TrafficAnalyser::esitoName(a.esito));
    default: break;
    }
    const TrafficRow r = m_rows.row(at);
    switch (index.column()) {
    case Time: return latin1(r.time);
    case Meaning: {
        QString meaning = latin1(TrafficAnalyser::meaning(r, a));
        // Ten bits a character: start, eight data bits, stop.
        if (r.longestPauseMs >= 0 && 2LL * r.longestPauseMs * m_baud > 3LL * 10000)
            meaning += (meaning.isEmpty() ? "" : " ") + tr("(pausa di %1 ms nel frame)").arg(r.longestPauseMs);
        return meaning;
    }
    case Fields: return fieldsText(r);
    case Hex: return latin1(ByteText::hex(r.bytes));
    case Text: return latin1(ByteText::escape(r.bytes));
    }
    return {};
}

QVariant TrafficLogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const bool tip = role == Qt::ToolTipRole;
    switch (section) {
    case Time: return tr("Ora");
    case Since: return tip ? tr("Millisecondi dalla riga precedente") : QStringLiteral("Δt");
    case Direction: return tr("Direzione");
    case Kind: return tr("Tipo");
    case Meaning: return tr("Significato");
    case Result: return tr("Esito");
    case Latency: return tip ? tr("Millisecondi dal comando alla risposta") : tr("Latenza");
    case Fields: return tr("Campi");
    case Hex: return tr("Hex");
    case Text: return tr("Testo");
    }
    return {};
}

}  // namespace lettore
