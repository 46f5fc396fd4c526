// The FTP connection settings dialog's rules without its widgets: what a showing fills
// in, what OK stores or refuses, when OK is enabled, and which cameras get a setting.
#include "base/messenger.h"
#include "protocol/config_item.h"
#include "test_support.h"
#include "transfer/ftp_settings_form.h"

#include <QTest>

using Controls = FtpSettingsForm::Controls;

// Readable failures; found by QCOMPARE through argument-dependent lookup.
char *toString(const FtpConnectionSetting &s)
{
    const QByteArray text = QByteArray::number(s.port) + (s.passive ? " passive" : " active")
                            + " type " + QByteArray::number(s.transferType);
    return qstrdup(text.constData());
}

namespace QTest {
template <>
char *toString(const std::optional<Controls> &c)
{
    if (!c)
        return qstrdup("none");
    const QByteArray text = "'" + c->portText.toUtf8() + (c->passive ? "' passive" : "' active")
                            + (c->ascii ? " ascii" : " binary");
    return qstrdup(text.constData());
}
} // namespace QTest

class TestFtpSettings : public QObject
{
    Q_OBJECT

private slots:
    void formShow_data();
    void formShow();
    void okButton_data();
    void okButton();
    void okWithoutSetting();
    void okStaysEnabled();
    void cameraSetting_data();
    void cameraSetting();
};

void TestFtpSettings::formShow_data()
{
    QTest::addColumn<FtpConnectionSetting>("setting");
    QTest::addColumn<Controls>("shown");
    QTest::newRow("fresh camera") << FtpConnectionSetting{} << Controls{"21", true, false};
    QTest::newRow("edited") << FtpConnectionSetting{2121, false, 1}
                            << Controls{"2121", false, true};
    QTest::newRow("any nonzero type is ascii") << FtpConnectionSetting{0, true, 7}
                                                << Controls{"0", true, true};
    QTest::newRow("negative port") << FtpConnectionSetting{-5, true, 0}
                                   << Controls{"-5", true, false};
}

void TestFtpSettings::formShow()
{
    QFETCH(FtpConnectionSetting, setting);
    QFETCH(Controls, shown);
    ScriptedMessenger messenger;
    FtpSettingsForm form(messenger);
    form.attach(&setting);
    QVERIFY(!form.okEnabled());
    QCOMPARE(form.FormShow(), std::optional<Controls>(shown));
    // Filling the controls is a change.
    QVERIFY(form.okEnabled());
    QVERIFY(messenger.shown().isEmpty());

    form.attach(nullptr);
    QCOMPARE(form.FormShow(), std::nullopt);
    QCOMPARE(messenger.lastText(), QString("FTP Info is Invalid"));
}

void TestFtpSettings::okButton_data()
{
    QTest::addColumn<Controls>("controls");
    QTest::addColumn<bool>("stored");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("message");   // refusals only

    const QString notNumber = "'%1' is not a valid integer value";
    QTest::newRow("active ascii") << Controls{"2121", false, true} << true << 2121 << "";
    QTest::newRow("passive binary") << Controls{"21", true, false} << true << 21 << "";
    QTest::newRow("zero as typed") << Controls{"0", true, false} << true << 0 << "";
    QTest::newRow("beyond 16 bits as typed") << Controls{"70000", true, true} << true << 70000
                                             << "";
    QTest::newRow("negative as typed") << Controls{"-1", false, false} << true << -1 << "";
    QTest::newRow("int max") << Controls{"2147483647", true, false} << true << 2147483647 << "";
    QTest::newRow("leading zeros") << Controls{"0021", true, false} << true << 21 << "";
    QTest::newRow("blanks around") << Controls{" 2121 ", true, false} << true << 2121 << "";
    QTest::newRow("empty") << Controls{"", false, true} << false << 0
                           << "FTP Port is required\nWell known FTP Port is 21";
    QTest::newRow("beyond int range is no number")
        << Controls{"2147483648", true, false} << false << 0 << notNumber.arg("2147483648");
    QTest::newRow("letters") << Controls{"x21", true, false} << false << 0 << notNumber.arg("x21");
    QTest::newRow("trailing letters") << Controls{"21a", true, false} << false << 0
                                      << notNumber.arg("21a");
    QTest::newRow("hex") << Controls{"0x15", true, false} << false << 0 << notNumber.arg("0x15");
    QTest::newRow("fraction") << Controls{"21.0", true, false} << false << 0
                              << notNumber.arg("21.0");
    QTest::newRow("group separator") << Controls{"2,121", true, false} << false << 0
                                     << notNumber.arg("2,121");
    QTest::newRow("blanks only") << Controls{"  ", true, false} << false << 0
                                 << notNumber.arg("  ");
}

void TestFtpSettings::okButton()
{
    QFETCH(Controls, controls);
    QFETCH(bool, stored);
    QFETCH(int, port);
    QFETCH(QString, message);
    ScriptedMessenger messenger;
    FtpSettingsForm form(messenger);
    const FtpConnectionSetting before{1234, true, 0};
    FtpConnectionSetting setting = before;
    form.attach(&setting);

    const FtpSettingsForm::Verdict verdict = form.BtnOKClick(controls);
    if (stored) {
        QVERIFY(verdict.close);
        QCOMPARE(verdict.result, FtpSettingsForm::kResultOk);
        QCOMPARE(setting, (FtpConnectionSetting{port, controls.passive,
                                                quint8(controls.ascii ? 1 : 0)}));
        QVERIFY(messenger.shown().isEmpty());
    } else {
        QVERIFY(!verdict.close);
        QVERIFY(verdict.focusPort);
        QCOMPARE(setting, before);
        QCOMPARE(messenger.shown().size(), 1);
        QCOMPARE(messenger.lastText(), message);
    }
}

void TestFtpSettings::okWithoutSetting()
{
    // Shown after "FTP Info is Invalid": OK ends the dialog as Cancel, quietly.
    ScriptedMessenger messenger;
    FtpSettingsForm form(messenger);
    const FtpSettingsForm::Verdict verdict = form.BtnOKClick({"", true, false});
    QVERIFY(verdict.close);
    QCOMPARE(verdict.result, FtpSettingsForm::kResultCancel);
    QVERIFY(messenger.shown().isEmpty());
}

void TestFtpSettings::okStaysEnabled()
{
    ScriptedMessenger messenger;
    FtpSettingsForm form(messenger);
    FtpConnectionSetting setting;
    QVERIFY(!form.okEnabled());
    form.controlChanged();
    QVERIFY(form.okEnabled());
    form.attach(&setting);
    form.BtnOKClick({"", true, false});   // refused
    form.attach(nullptr);
    form.FormShow();                      // nothing to fill
    QVERIFY(form.okEnabled());
}

void TestFtpSettings::cameraSetting_data()
{
    QTest::addColumn<bool>("answered");
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("hasSetting");
    QTest::addColumn<bool>("offered");
    QTest::addColumn<bool>("settingAfter");

    for (int model : {0, 2, 3, 5, 6})
        QTest::addRow("model %d", model) << true << model << true << true << true;
    QTest::newRow("model 1") << true << 1 << false << false << false;
    // Listed as model 1, answering now as a file-configured model.
    QTest::newRow("became file-configured") << true << 0 << false << true << true;
    // Protocol-configured and unknown models keep what their reply gave them.
    QTest::newRow("model 4") << true << 4 << true << false << true;
    QTest::newRow("model 7") << true << 7 << true << false << true;
    QTest::newRow("model 9 without setting") << true << 9 << false << false << false;
    // No reply: the model code reads as 0, which must not make it file-configured.
    QTest::newRow("never answered") << false << 0 << false << false << false;
}

void TestFtpSettings::cameraSetting()
{
    QFETCH(bool, answered);
    QFETCH(int, model);
    QFETCH(bool, hasSetting);
    QFETCH(bool, offered);
    QFETCH(bool, settingAfter);
    TConfigItem camera;
    camera.Address = "127.0.0.5";
    if (answered) {
        QByteArray header = TestSupport::fromHex("5A 4F 52 41 02 00 00 05");
        header.append(char(model)).append(TestSupport::fromHex("00 0A 1B 2C 3D 4E 01 1C"));
        camera.Header = header;
    }
    const FtpConnectionSetting own{2021, false, 1};
    if (hasSetting)
        camera.FtpSettings = own;

    QCOMPARE(FtpSettingsForm::offeredFor(&camera), offered);
    FtpConnectionSetting *edited = FtpSettingsForm::settingOf(camera, 2100);
    QCOMPARE(edited != nullptr, settingAfter);
    QCOMPARE(camera.FtpSettings.has_value(), settingAfter);
    if (edited) {
        QCOMPARE(edited, &*camera.FtpSettings);
        const FtpConnectionSetting fresh{2100, true, 0};
        QCOMPARE(*edited, hasSetting ? own : fresh);
    }
    QVERIFY(!FtpSettingsForm::offeredFor(nullptr));
}

QTEST_GUILESS_MAIN(TestFtpSettings)
#include "tst_ftp_settings.moc"
