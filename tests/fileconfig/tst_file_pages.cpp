// The logic of a file-configured camera's pages against a recording view and a scripted
// configuration run: what entering, saving, restoring and leaving a page do to the local
// files, the camera's credentials and the buttons, above all where a plain reading of
// the page flow would lose an edit or upload the wrong values.
#include "camfiles_helper.h"
#include "test_support.h"

#include "base/messenger.h"
#include "fileconfig/config_runner.h"
#include "fileconfig/file_pages.h"
#include "fileconfig/file_pages_view.h"
#include "protocol/command_confirmation.h"
#include "protocol/config_item.h"
#include "protoconfig/credentials.h"

#include <QTest>

namespace {

class RecordingView final : public FilePagesView
{
public:
    PageSettings shownSettings(FileTab tab) const override { return shown.value(int(tab)); }
    void showSettings(FileTab tab, const PageSettings &s) override { shown[int(tab)] = s; }
    void setPageEnabled(FileTab tab, bool on) override { enabled[int(tab)] = on; }
    void setCameraTraits(const CameraTraits &t) override { traits = t; }
    void setRecordDetails(const RecordDetails &d) override { details = d; }
    void setCurrentTab(FileTab tab) override { current = tab; }
    void setSaveButtonsEnabled(bool on) override { saveButtons = on; }
    void setAccountButtonsEnabled(bool on) override { accountButtons = on; }
    void setPasswordResult(const QString &text) override { passwordResult = text; }
    void focusControl(const QString &name) override { focused = name; }

    template <typename T>
    T &page(FileTab tab)
    {
        return std::get<T>(shown[int(tab)]);
    }

    QHash<int, PageSettings> shown;
    QHash<int, bool> enabled;
    CameraTraits traits;
    RecordDetails details;
    FileTab current = FileTab::NetworkInfo;
    bool saveButtons = false;
    bool accountButtons = false;
    QString passwordResult;
    QString focused;
};

// Every run ends as scripted; downloads leave the folder as it is (it already holds the
// sample files), uploads are recorded.
class ScriptedRunner final : public ConfigRunner
{
public:
    int run(const ConfigTransfer &t) override
    {
        runs.append(t);
        return results.isEmpty() ? Ok : results.takeFirst();
    }
    QStringList listing() const override { return {"head_a", "head_b"}; }
    bool credentialsRejected() const override { return false; }

    QList<ConfigTransfer> runs;
    QList<int> results;
};

class Prompt final : public CredentialPrompt
{
public:
    std::optional<LoginEntry> askCredentials(const FtpConnectionSetting *) override
    {
        ++calls;
        if (cancel)
            return std::nullopt;
        return LoginEntry{"admin", password, "21", true};
    }
    int calls = 0;
    bool cancel = false;
    QString password = "pass";
};

class Confirmation final : public CommandConfirmation
{
public:
    CommandOutcome confirm(const ConfirmRequest &request) override
    {
        requests.append(request);
        return answer;
    }
    QList<ConfirmRequest> requests;
    CommandOutcome answer = CommandOutcome::Success;
};

TConfigItem fileCamera(quint8 model, quint8 audio = 1)
{
    TConfigItem c;
    QByteArray h = TestSupport::fromHex("5A 4F 52 41 02 40 00 05 00 00 0A 1B 2C 3D 4E 01 05");
    h[8] = char(model);
    c.Header = h;
    c.Address = "127.0.0.9";
    c.ConnectionKind = Connection::Local;
    c.AudioAvailable = audio;
    c.AddressBlock = std::array<quint8, 16>{127, 0, 0, 9, 255, 0, 0, 0, 127, 0, 0, 1, 127, 0, 0, 53};
    return c;
}

struct Rig {
    explicit Rig(quint8 model = 0, quint8 audio = 1)
        : camera(fileCamera(model, audio))
        , pages(messenger)
    {
        pages.setView(&view);
        pages.setConfigRunner(&runner);
        pages.setCredentialPrompt(&prompt);
        pages.setConfirmation(&confirmation);
        pages.setLocalFolder(folder.path());
        pages.setSelectionSource([this] {
            return FilePages::Selection{&camera, 0, QStringLiteral("00:0A:1B:2C:3D:4E"),
                                        QStringLiteral("2")};
        });
    }
    // Enters the DDNS page and types a new ID.
    void editDdnsId(const QByteArray &id)
    {
        pages.CategoryChange(FileTab::Ddns);
        view.page<DdnsSettings>(FileTab::Ddns).id = id;
        pages.ConfigChanged();
    }

    CamFiles::Folder folder;
    TConfigItem camera;
    ScriptedMessenger messenger;
    RecordingView view;
    ScriptedRunner runner;
    Prompt prompt;
    Confirmation confirmation;
    FilePages pages;
};

} // namespace

class TestFilePages : public QObject
{
    Q_OBJECT

private slots:
    void enteringWithoutFilesLeavesPageDisabled_data();
    void enteringWithoutFilesLeavesPageDisabled();
    void eventPageUsesTheModelsSet_data();
    void eventPageUsesTheModelsSet();
    void savedPageIsUploadedAndClean();
    void cancelledUploadPutsTheCamerasFilesBack();
    void failingWriterUploadsNothing();
    void refusedCheckTouchesNothing_data();
    void refusedCheckTouchesNothing();
    void leavingWithEditsAsksAndSavesToThatCamera_data();
    void leavingWithEditsAsksAndSavesToThatCamera();
    void setDefaultMarksResetOnlyWhenSent_data();
    void setDefaultMarksResetOnlyWhenSent();
    void restoreRereadsLocalFiles();
    void cancelledLoginOnSaveKeepsEdits();
    void networkPageSendsCommandWithModelByteZero();
    void accountPasswordChange();
};

void TestFilePages::enteringWithoutFilesLeavesPageDisabled_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<bool>("cancelLogin");
    QTest::addColumn<int>("runResult");
    QTest::addColumn<int>("audio");
    QTest::addColumn<int>("runs");
    QTest::newRow("fetch failed") << int(FileTab::Ddns) << false << int(ConfigRunner::Cancel) << 1 << 1;
    QTest::newRow("login cancelled") << int(FileTab::WebServer) << true << int(ConfigRunner::Ok) << 1 << 0;
    QTest::newRow("no audio, nothing fetched") << int(FileTab::Audio) << false << int(ConfigRunner::Ok) << 0 << 0;
}

void TestFilePages::enteringWithoutFilesLeavesPageDisabled()
{
    QFETCH(int, tab);
    QFETCH(bool, cancelLogin);
    QFETCH(int, runResult);
    QFETCH(int, audio);
    QFETCH(int, runs);
    Rig rig{0, quint8(audio)};
    // The page showed another camera's values before.
    rig.view.shown[tab] = DdnsSettings{true, "other", "x", "y"};
    rig.prompt.cancel = cancelLogin;
    rig.runner.results = {runResult};
    rig.pages.CategoryChange(FileTab(tab));
    QCOMPARE(rig.runner.runs.size(), runs);
    QVERIFY(!rig.view.enabled.value(tab, true));
    QVERIFY(!rig.pages.loaded());
    if (runResult == ConfigRunner::Cancel)
        QVERIFY(rig.camera.AdminId.isEmpty() && rig.camera.AdminPassword.isEmpty());

    // Nothing of it can be uploaded to this camera.
    rig.pages.btnSaveClick();
    QCOMPARE(rig.runner.runs.size(), runs);
    QVERIFY(!rig.view.saveButtons);
}

void TestFilePages::eventPageUsesTheModelsSet_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("set");
    QTest::addColumn<bool>("motion");
    QTest::newRow("model 0") << 0 << 3 << true;
    QTest::newRow("model 2") << 2 << 15 << false;
    QTest::newRow("model 6") << 6 << 15 << false;
}

void TestFilePages::eventPageUsesTheModelsSet()
{
    QFETCH(int, model);
    QFETCH(int, set);
    QFETCH(bool, motion);
    Rig rig{quint8(model)};
    rig.pages.CategoryChange(FileTab::EventServer);
    QCOMPARE(rig.runner.runs.size(), 1);
    QCOMPARE(rig.runner.runs[0].set, set);
    QCOMPARE(rig.runner.runs[0].mode, TransferMode::Download);
    QCOMPARE(rig.view.traits.motionDetection, motion);
    QCOMPARE(rig.view.page<EventPageSettings>(FileTab::EventServer).source, EventSource::DigitalInput);
    QVERIFY(rig.view.enabled.value(int(FileTab::EventServer)));
    QVERIFY(!rig.pages.changed());
}

void TestFilePages::savedPageIsUploadedAndClean()
{
    Rig rig;
    rig.editDdnsId("newid");
    QVERIFY(rig.pages.changed());
    QVERIFY(rig.view.saveButtons);
    rig.pages.btnSaveClick();
    QCOMPARE(rig.messenger.shown().first().text, QString("Apply Changes.  Are you sure?"));
    QCOMPARE(rig.messenger.shown().first().caption, QString("Warning"));
    QCOMPARE(rig.runner.runs.size(), 2);
    QCOMPARE(rig.runner.runs[1].mode, TransferMode::Upload);
    QCOMPARE(rig.runner.runs[1].set, 0);
    QVERIFY(rig.folder.read("ddns.conf").contains("DDNS_ID=\"newid\""));
    QVERIFY(!rig.pages.changed());
    QVERIFY(!rig.view.saveButtons);
}

void TestFilePages::cancelledUploadPutsTheCamerasFilesBack()
{
    Rig rig;
    const QByteArray before = rig.folder.read("ddns.conf");
    rig.editDdnsId("newid");
    rig.runner.results = {ConfigRunner::Cancel};
    rig.pages.btnSaveClick();
    QCOMPARE(rig.runner.runs.size(), 2);
    QCOMPARE(rig.folder.read("ddns.conf"), before);
    QVERIFY(rig.camera.AdminId.isEmpty() && rig.camera.AdminPassword.isEmpty());
    // The edit stays for another try, and Restore shows what the camera holds.
    QVERIFY(rig.pages.changed());
    QVERIFY(rig.view.saveButtons);
    rig.pages.btnRestoreClick();
    QCOMPARE(rig.view.page<DdnsSettings>(FileTab::Ddns).id,
             std::get<DdnsSettings>(*rig.pages.loaded()).id);
    QVERIFY(rig.view.page<DdnsSettings>(FileTab::Ddns).id != "newid");
}

void TestFilePages::failingWriterUploadsNothing()
{
    Rig rig;
    rig.pages.CategoryChange(FileTab::StreamServer);
    rig.view.page<StreamServerSettings>(FileTab::StreamServer).port = "8000";
    QVERIFY(rig.folder.remove("udp_server.conf"));
    rig.pages.btnSaveClick();
    QCOMPARE(rig.messenger.lastText(), QString("Write Error"));
    QCOMPARE(rig.runner.runs.size(), 1);
    QVERIFY(rig.pages.changed());
}

void TestFilePages::refusedCheckTouchesNothing_data()
{
    QTest::addColumn<QByteArray>("title"); // empty: cleared
    QTest::addColumn<QByteArray>("port");  // empty: as loaded
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");    // empty: left where it was
    QTest::newRow("empty title") << QByteArray() << QByteArray() << "Display Title is Required"
                                 << "editWebTitle";
    QTest::newRow("port with letters") << QByteArray("Gate") << QByteArray("80ab")
                                       << "Port must be a NUMBER" << "";
}

void TestFilePages::refusedCheckTouchesNothing()
{
    QFETCH(QByteArray, title);
    QFETCH(QByteArray, port);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    Rig rig;
    rig.pages.CategoryChange(FileTab::WebServer);
    const QByteArray before = rig.folder.read("title.js");
    auto &shown = rig.view.page<WebServerSettings>(FileTab::WebServer);
    shown.title = title;
    if (!port.isEmpty())
        shown.port = port;
    // No password held: the check must come before both the question and the login.
    rig.camera.AdminPassword.clear();
    const int logins = rig.prompt.calls;
    rig.view.focused.clear();
    rig.messenger.clear();
    rig.pages.btnSaveClick();
    QCOMPARE(rig.messenger.shown().size(), 1);
    QCOMPARE(rig.messenger.lastText(), message);
    QCOMPARE(rig.prompt.calls, logins);
    QCOMPARE(rig.view.focused, focus);
    QCOMPARE(rig.runner.runs.size(), 1);
    QCOMPARE(rig.folder.read("title.js"), before);
    QVERIFY(rig.view.saveButtons);
}

void TestFilePages::leavingWithEditsAsksAndSavesToThatCamera_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("uploads");
    QTest::newRow("yes") << int(Messenger::AnswerYes) << 1;
    QTest::newRow("no") << int(Messenger::AnswerNo) << 0;
    QTest::newRow("cancel stays") << int(Messenger::AnswerCancel) << 0;
}

void TestFilePages::leavingWithEditsAsksAndSavesToThatCamera()
{
    QFETCH(int, answer);
    QFETCH(int, uploads);
    Rig rig;
    rig.editDdnsId("newid");
    rig.messenger.queueAnswers({answer, Messenger::AnswerYes});
    rig.pages.CategoryChange(FileTab::WebServer);
    // One question, naming the page and the camera, asked on the page being left; Yes
    // saves without asking again.
    QCOMPARE(rig.messenger.shown().size(), 1);
    QCOMPARE(rig.messenger.shown().first().text,
             QString("Camera Property Changed:\nDDNS page of 127.0.0.9\n\nSave the changes?"));
    QCOMPARE(rig.messenger.shown().first().style, Messenger::Style::YesNoCancel);
    int uploaded = 0;
    for (const ConfigTransfer &t : rig.runner.runs)
        uploaded += t.mode == TransferMode::Upload && t.set == 0;
    QCOMPARE(uploaded, uploads);
    if (answer == Messenger::AnswerCancel) {
        // The edit stays on its page.
        QCOMPARE(rig.pages.currentTab(), FileTab::Ddns);
        QCOMPARE(rig.view.current, FileTab::Ddns);
        QVERIFY(rig.pages.changed());
        return;
    }
    // The new page is entered and clean.
    QCOMPARE(rig.pages.currentTab(), FileTab::WebServer);
    QVERIFY(!rig.pages.changed());
}

void TestFilePages::setDefaultMarksResetOnlyWhenSent_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<bool>("marked");
    QTest::newRow("confirmed") << int(Messenger::AnswerYes) << int(CommandOutcome::Success) << true;
    QTest::newRow("question declined") << int(Messenger::AnswerNo) << int(CommandOutcome::Success) << false;
    QTest::newRow("no answer") << int(Messenger::AnswerYes) << int(CommandOutcome::NoAnswer) << false;
}

void TestFilePages::setDefaultMarksResetOnlyWhenSent()
{
    QFETCH(int, answer);
    QFETCH(int, outcome);
    QFETCH(bool, marked);
    Rig rig;
    rig.camera.AdminId = "admin";
    rig.camera.AdminPassword = "pass";
    rig.confirmation.answer = CommandOutcome(outcome);
    bool raised = false;
    QObject::connect(&rig.pages, &FilePages::resetPendingRaised, [&] { raised = true; });
    rig.messenger.queueAnswers({answer});
    rig.pages.setDefaultClick(10);
    QCOMPARE(raised, marked);
    if (answer == Messenger::AnswerYes) {
        QCOMPARE(rig.confirmation.requests.size(), 1);
        // Control command: action 6, one byte, the page's scope.
        QCOMPARE(rig.confirmation.requests[0].bytes.right(3), QByteArray("\x06\x01\x0a", 3));
    }
}

void TestFilePages::restoreRereadsLocalFiles()
{
    Rig rig;
    rig.pages.CategoryChange(FileTab::EventServer);
    rig.pages.eventSourceChosen(EventSource::Timer);
    QCOMPARE(rig.view.page<EventPageSettings>(FileTab::EventServer).source, EventSource::Timer);
    rig.view.page<EventPageSettings>(FileTab::EventServer).values.period = "99";
    rig.pages.ConfigChanged();
    QVERIFY(rig.pages.changed());
    rig.pages.btnRestoreClick();
    // Restore shows digital input again, read from the local file; the camera is not asked.
    QCOMPARE(rig.runner.runs.size(), 1);
    QCOMPARE(rig.view.page<EventPageSettings>(FileTab::EventServer).source, EventSource::DigitalInput);
    QVERIFY(!rig.pages.changed());
    QVERIFY(!rig.view.saveButtons);
}

void TestFilePages::cancelledLoginOnSaveKeepsEdits()
{
    Rig rig;
    rig.editDdnsId("newid");
    rig.camera.AdminPassword.clear();
    rig.prompt.cancel = true;
    rig.pages.btnSaveClick();
    QCOMPARE(rig.view.page<DdnsSettings>(FileTab::Ddns).id, QByteArray("newid"));
    QVERIFY(rig.pages.changed());
    QVERIFY(rig.view.saveButtons);
    QCOMPARE(rig.runner.runs.size(), 1);
}

void TestFilePages::networkPageSendsCommandWithModelByteZero()
{
    Rig rig(3);
    rig.camera.AdminId = "admin";
    rig.camera.AdminPassword = "pass";
    rig.pages.enterFirstPage();
    QCOMPARE(rig.view.details.mac, QString("00:0A:1B:2C:3D:4E"));
    auto &net = rig.view.page<NetworkPageSettings>(FileTab::NetworkInfo);
    QCOMPARE(net.ip, QString("127.0.0.9"));
    net.ip = "127.0.0.77";
    rig.pages.ConfigChanged();
    QVERIFY(rig.view.saveButtons);
    rig.pages.btnSaveClick();
    QCOMPARE(rig.confirmation.requests.size(), 1);
    const QByteArray &bytes = rig.confirmation.requests[0].bytes;
    QCOMPARE(quint8(bytes.at(8)), quint8(0));
    QCOMPARE(quint8(bytes.at(15)), quint8(1));
    QVERIFY(!rig.pages.changed());
}

void TestFilePages::accountPasswordChange()
{
    Rig rig;
    rig.camera.AdminId = "admin";
    rig.camera.AdminPassword = "pass";
    rig.pages.CategoryChange(FileTab::Account);
    QVERIFY(!rig.view.accountButtons);
    // Ticking asks for the current password again and shows it.
    rig.prompt.password = "pass";
    rig.pages.chkChangePasswdClick(true);
    QCOMPARE(rig.prompt.calls, 1);
    auto &account = rig.view.page<AccountPageSettings>(FileTab::Account);
    QVERIFY(account.changePassword);
    QCOMPARE(account.currentPassword, QString("pass"));
    QCOMPARE(rig.view.focused, QString("editNewPass"));

    account.newPassword = "secret1";
    account.newPasswordAgain = "secret";
    rig.pages.editNewPasswordChange();
    QCOMPARE(rig.view.passwordResult, QString("Password does not match"));
    QVERIFY(!rig.view.accountButtons);
    rig.view.page<AccountPageSettings>(FileTab::Account).newPasswordAgain = "secret1";
    rig.pages.editNewPasswordChange();
    QVERIFY(rig.view.passwordResult.isEmpty());
    QVERIFY(rig.view.accountButtons);

    rig.pages.btnAccountSaveClick();
    QCOMPARE(rig.messenger.shown().last().caption, QString("Confirm"));
    QCOMPARE(rig.confirmation.requests.size(), 1);
    QCOMPARE(rig.confirmation.requests[0].bytes.size(), 69);
    QCOMPARE(rig.camera.AdminPassword, QString("secret1"));
    QVERIFY(!rig.view.accountButtons);
}

QTEST_GUILESS_MAIN(TestFilePages)
#include "tst_file_pages.moc"
