// The About box and the focus routine.
#include "desktop/ui/about_dlg.h"
#include "desktop/ui/focus_control.h"
#include "test_support.h"

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

class TestAbout : public QObject
{
    Q_OBJECT

private slots:
    void pictureRule_data();
    void pictureRule();
    void captionAndClick();
    void focusOnlyWhereItCanGo();
};

void TestAbout::pictureRule_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("none: built-in") << QStringList{} << QString();
    QTest::newRow("beside the program") << QStringList{"zora.bmp", "images/zora.bmp"} << "zora.bmp";
    QTest::newRow("images folder") << QStringList{"images/zora.bmp"} << "images/zora.bmp";
}

void TestAbout::pictureRule()
{
    QFETCH(QStringList, files);
    QFETCH(QString, chosen);
    TestSupport::AppDir dir;
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    for (const QString &f : files) {
        QDir().mkpath(QFileInfo(dir.file(f)).path());
        QVERIFY(image.save(dir.file(f), "BMP"));
    }
    QCOMPARE(TAboutDlg::pictureFile(dir.path()), chosen.isEmpty() ? QString() : dir.file(chosen));
    TAboutDlg about("ZORA 2.0");
    const QImage shown = about.picture()->pixmap().toImage();
    QCOMPARE(shown.width() == 8, !chosen.isEmpty());
}

void TestAbout::captionAndClick()
{
    TestSupport::AppDir dir;
    TAboutDlg plain("ZORA 2.0");
    QCOMPARE(plain.windowTitle(), QString("About ZORA 2.0"));
    dir.write("zora.ini", "[OEM]\r\nAPPNAME=Acme Viewer\r\n");
    TAboutDlg oem("ZORA 2.0");
    QCOMPARE(oem.windowTitle(), QString("About Acme Viewer"));
    oem.show();
    QTest::mouseClick(oem.picture(), Qt::LeftButton);
    QVERIFY(!oem.isVisible());
    QCOMPARE(oem.result(), int(QDialog::Accepted));
}

void TestAbout::focusOnlyWhereItCanGo()
{
    QWidget window;
    auto *shown = new QLineEdit(&window);
    auto *disabled = new QLineEdit(&window);
    disabled->setEnabled(false);
    auto *hidden = new QLineEdit(&window);
    window.show();
    hidden->hide();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    FocusControl(nullptr);
    FocusControl(disabled);
    FocusControl(hidden);
    QVERIFY(!disabled->hasFocus() && !hidden->hasFocus());
    FocusControl(shown);
    QVERIFY(shown->hasFocus());
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
