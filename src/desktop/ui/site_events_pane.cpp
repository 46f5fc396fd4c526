#include "desktop/ui/site_events_pane.h"

#include "site/site_event_log.h"
#include "site/site_watch.h"

#include <QHeaderView>
#include <QTimer>
#include <QTreeView>

SiteEventsPane::SiteEventsPane(CameraNetwork &network, QWidget *parent)
    : QDockWidget(tr("Site events"), parent)
    , m_network(network)
    , m_log(new SiteEventLog(this))
    , m_view(new QTreeView(this))
    , m_clock(new QTimer(this))
{
    setObjectName(QStringLiteral("SiteEventsPane"));
    m_log->setTimeText([](const QDateTime &t) { return t.toLocalTime().toString(QStringLiteral("HH:mm:ss")); });

    m_view->setObjectName(QStringLiteral("SiteEventsList"));
    m_view->setModel(m_log);
    m_view->setRootIsDecorated(false);
    m_view->setUniformRowHeights(true);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setAllColumnsShowFocus(true);
    m_view->header()->setStretchLastSection(true);
    // The list is bounded, so fitting the columns to what they hold stays cheap; a long
    // host name is cut (the row's tooltip has it whole).
    m_view->header()->setMaximumSectionSize(240);
    for (int c = 0; c < SiteEventLog::ColWhat; ++c)
        m_view->header()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    setWidget(m_view);
    connect(m_view, &QTreeView::activated, this, [this](const QModelIndex &index) {
        if (index.isValid())
            emit cameraActivated(m_log->at(index.row()).mac);
    });

    m_clock->setInterval(SiteWatch::kTickMs);
    connect(m_clock, &QTimer::timeout, this, [this] {
        m_watch->tick(QDateTime::currentDateTimeUtc());
        m_log->flush();
    });
    // Rounds only while someone looks: a hidden pane sends nothing of its own.
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool shown) {
        if (shown && !m_watch)
            startWatch();
        if (m_watch)
            m_watch->setRoundsEnabled(shown);
    });
}

void SiteEventsPane::startWatch()
{
    m_watch = new SiteWatch(m_network, this);
    // The window's clock runs the presence poll; this watch only adds its rounds.
    m_watch->setDrivesPoll(false);
    connect(m_watch, &SiteWatch::happened, m_log, &SiteEventLog::add);
    m_clock->start();
}

SiteEventsPane::~SiteEventsPane() = default;
