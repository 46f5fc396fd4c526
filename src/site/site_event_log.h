#pragma once

#include "site/site_event.h"

#include <QAbstractTableModel>
#include <QList>

#include <functional>

// The events of a watch as a list for a view: newest first, at most kMaxEvents (the
// oldest go), with columns time, event, camera (MAC), address, host and what happened.
class SiteEventLog final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SiteEventLog)

public:
    enum Column { ColTime, ColEvent, ColMac, ColAddress, ColHost, ColWhat, kColumns };
    static constexpr int kMaxEvents = 2000;

    explicit SiteEventLog(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // How an event's time is shown (the window: local time of day); UTC text without it.
    void setTimeText(std::function<QString(const QDateTime &)> text) { m_timeText = std::move(text); }
    // Events wait until flush(), which lists them in one insertion: a burst of thousands
    // of new cameras costs the view a few updates, not one an event. Only the newest
    // kMaxEvents wait.
    void add(const SiteEvent &event);
    void flush();
    qsizetype pending() const { return m_pending.size(); }
    const SiteEvent &at(int row) const { return m_events.at(row); }
    void clear();

private:
    QList<SiteEvent> m_events;   // newest first
    QList<SiteEvent> m_pending;  // oldest first
    std::function<QString(const QDateTime &)> m_timeText;
};
