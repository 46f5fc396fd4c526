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
    if (m_events.size() >= kMaxEvents) {
        const int last = int(m_events.size()) - 1;
        beginRemoveRows({}, last, last);
        m_events.removeLast();
        endRemoveRows();
    }
    beginInsertRows({}, 0, 0);
    m_events.prepend(event);
    endInsertRows();
}

void SiteEventLog::clear()
{
    beginResetModel();
    m_events.clear();
    endResetModel();
}
