#pragma once

#include <QDockWidget>

class CameraNetwork;
class QTimer;
class QTreeView;
class SiteEventLog;
class SiteWatch;

// The window's "Site events" dock: the events of a watch over the window's own network
// core, newest first. The watch starts when the dock is first shown (a window that never
// shows it pays nothing for it) and from then on hears every answer the window gets;
// while the dock is shown it also runs its own discovery rounds, so that a camera that
// stops answering is noticed. Double-click on an event asks for its camera's row.
class SiteEventsPane final : public QDockWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SiteEventsPane)

public:
    SiteEventsPane(CameraNetwork &network, QWidget *parent = nullptr);
    ~SiteEventsPane() override;

    // Null until the dock was first shown.
    SiteWatch *watch() const { return m_watch; }
    SiteEventLog &log() { return *m_log; }
    QTreeView *view() const { return m_view; }

signals:
    void cameraActivated(const QString &mac);

private:
    void startWatch();

    CameraNetwork &m_network;
    SiteWatch *m_watch = nullptr;
    SiteEventLog *m_log = nullptr;
    QTreeView *m_view = nullptr;
    QTimer *m_clock = nullptr;
};
