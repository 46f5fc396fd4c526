// The window's Scan in the site test bed: started by tests/site inside its network
// namespace with the cameras it expects, "MAC=adapter[!]" (! marks a row drawn as a
// warning), in ZORA_SITE_EXPECT. Outside the box it does nothing but say so.
#include "base/app_options.h"
#include "desktop/ui/main_window.h"
#include "protocol/camera_list.h"
#include "test_support.h"

#include <QLabel>
#include <QTest>
#include <QToolButton>

class SiteWindow : public QObject
{
    Q_OBJECT

private slots:
    void scanListsEveryAdapter();
};

void SiteWindow::scanListsEveryAdapter()
{
    if (qEnvironmentVariable("ZORA_SITE_BOX") != "1")
        QSKIP("only inside the site test bed");
    QMap<QString, QString> adapterOf;
    QSet<QString> warned;
    for (const QString &entry : qEnvironmentVariable("ZORA_SITE_EXPECT").split(',', Qt::SkipEmptyParts)) {
        QString adapter = entry.section('=', 1);
        if (adapter.endsWith('!')) {
            adapter.chop(1);
            warned.insert(entry.section('=', 0, 0));
        }
        adapterOf.insert(entry.section('=', 0, 0), adapter);
    }
    QVERIFY(!adapterOf.isEmpty());
    TestSupport::AppDir dir;
    AppOptions options;  // the defaults: 255.255.255.255, ports 32153 and 32154
    options.appDir = dir.path();
    ScriptedMessenger messenger;
    TAdminToolDlg window(options, &messenger);
    window.setUp();
    window.show();
    CameraList &list = window.core().list();
    window.findChild<QToolButton *>("BtnScanCamera")->click();
    QTRY_COMPARE_WITH_TIMEOUT(list.count(), int(adapterOf.size()), 5000);
    // The reply window closes on the clock.
    for (int i = 0; i < 6; ++i)
        window.core().clockTick(QDateTime::currentDateTime());
    const QStringList adapters = adapterOf.values();
    QCOMPARE(window.findChild<QLabel *>("StatusScan")->text(),
             QString("%1 cameras answered on %2 adapters")
                 .arg(adapterOf.size())
                 .arg(QSet<QString>(adapters.cbegin(), adapters.cend()).size()));
    for (int r = 0; r < list.count(); ++r) {
        const QString mac = list.row(r).mac;
        QVERIFY2(adapterOf.contains(mac), qPrintable(mac));
        const QModelIndex cell = list.index(r, 1);
        const QString tip = list.data(cell, Qt::ToolTipRole).toString();
        QVERIFY2(tip.startsWith("answered on " + adapterOf[mac]), qPrintable(mac + ": " + tip));
        QCOMPARE(list.data(cell, Qt::ForegroundRole).isValid(), warned.contains(mac));
    }
}

QTEST_MAIN(SiteWindow)
#include "site_window.moc"
