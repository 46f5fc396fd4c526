#include "site/site_event_log.h"

#include "site/report_text.h"

SiteEventLog::SiteEventLog(QObject *parent)
    : QAbstractTableModel(parent)
{
}

int SiteEventLog::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_events.size());
}

int SiteEventLog::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant SiteEventLog::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_events.size())
        return {};
    const SiteEvent &e = m_events.at(index.row());
    if (role == Qt::ToolTipRole)
        return e.textLine();
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case ColTime: return m_timeText ? m_timeText(e.time) : SiteEvent::timeText(e.time);
    case ColEvent: return SiteEvent::kindName(e.kind);
    case ColMac: return e.mac;
    case ColAddress: return e.address;
    case ColHost: return ReportText::escaped(e.host);
    case ColWhat: return e.summary();
    default: return {};
    }
}

QVariant SiteEventLog::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char *const titles[kColumns] = {"Time", "Event", "Camera", "Address", "Host", "What happened"};
    return section >= 0 && section < kColumns ? tr(titles[section]) : QVariant();
}

void SiteEventLog::add(const SiteEvent &event)
{
    if (m_pending.size() >= kMaxEvents)
        m_pending.removeFirst();
    m_pending << event;
}

void SiteEventLog::flush()
{
    if (m_pending.isEmpty())
        return;
    const int coming = int(m_pending.size());
    const int kept = qMin(int(m_events.size()), kMaxEvents - coming);
    if (kept < m_events.size()) {
        beginRemoveRows({}, kept, int(m_events.size()) - 1);
        m_events.resize(kept);
        endRemoveRows();
    }
    beginInsertRows({}, 0, coming - 1);
    QList<SiteEvent> events;
    events.reserve(coming + kept);
    for (auto it = m_pending.crbegin(); it != m_pending.crend(); ++it)
        events << *it;
    events += m_events;
    m_events = std::move(events);
    m_pending.clear();
    endInsertRows();
}

void SiteEventLog::clear()
{
    beginResetModel();
    m_events.clear();
    m_pending.clear();
    endResetModel();
}
