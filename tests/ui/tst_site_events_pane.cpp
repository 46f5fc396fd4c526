// The window's site events: hidden until the View menu shows them, then listing what
// the pane's rounds and the window's own scans saw (newest first), and a double-click on
// an event selecting its camera's row.
#include "desktop/ui/site_events_pane.h"
#include "protocol/camera_list.h"
#include "site/site_event_log.h"
#include "site/site_watch.h"
#include "window_rig_helper.h"

#include <QAction>
#include <QMenu>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

class TestSiteEventsPane : public QObject
{
    Q_OBJECT

private slots:
    void eventsListedAndCameraSelected();
};

void TestSiteEventsPane::eventsListedAndCameraSelected()
{
    WindowRig rig;
    QVERIFY(rig.start({WindowRig::fileCamera("a", 51), WindowRig::fileCamera("b", 52)}));
    auto *pane = rig.window->findChild<SiteEventsPane *>("SiteEventsPane");
    auto *toggle = rig.window->findChild<QAction *>("ViewSiteEvents");
    QVERIFY(pane && toggle);
    QVERIFY(rig.window->findChild<QMenu *>("View1")->actions().contains(toggle));
    QVERIFY(!pane->isVisible());
    QVERIFY(!toggle->isChecked());

    QVERIFY(!pane->watch());

    // Shown, it starts watching: its first round lists the cameras the window knows.
    toggle->trigger();
    QTRY_VERIFY(pane->isVisible());
    QVERIFY(pane->watch() && pane->watch()->roundsEnabled());
    SiteEventLog &log = pane->log();
    QTRY_COMPARE(log.rowCount(), 2);
    QCOMPARE(log.at(0).kind, SiteEvent::Kind::Appeared);

    QVERIFY(rig.sim->set("b", {{"host_name", "yard"}}));
    rig.window->findChild<QToolButton *>("BtnScanCamera")->click();
    QTRY_COMPARE(log.rowCount(), 3);
    QCOMPARE(log.at(0).kind, SiteEvent::Kind::HostChanged);
    QCOMPARE(log.at(0).mac, WindowRig::macOf(52));
    QCOMPARE(log.data(log.index(0, SiteEventLog::ColHost), Qt::DisplayRole).toString(), QString("yard"));

    QTreeView *view = pane->view();
    const QRect cell = view->visualRect(log.index(0, SiteEventLog::ColEvent));
    // A double-click is the press, release and the second press a user's makes.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    const int row = rig.window->core().list().rowOfMac(WindowRig::macOf(52));
    QTRY_COMPARE(rig.window->core().selectedRow(), row);

    toggle->trigger();
    QTRY_VERIFY(!pane->watch()->roundsEnabled());
}

QTEST_MAIN(TestSiteEventsPane)
#include "tst_site_events_pane.moc"
