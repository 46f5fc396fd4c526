#include "window_rig_helper.h"

#include "base/app_options.h"
#include "protocol/camera_list.h"
#include "protocol/ftp_connection_setting.h"

#include <QDateTime>
#include <QFile>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

std::optional<LoginEntry> WindowRig::Prompt::askCredentials(const FtpConnectionSetting *ftp)
{
    ++calls;
    if (cancel)
        return std::nullopt;
    LoginEntry e;
    e.id = QStringLiteral("root");
    e.password = password;
    e.portText = ftp ? QString::number(ftp->port) : QString();
    e.passive = ftp ? ftp->passive : true;
    return e;
}

WindowRig::WindowRig()
    : dir(std::make_unique<TestSupport::AppDir>())
    , sim(std::make_unique<CamSimProcess>())
{
    messenger.setDefaultAnswer(Messenger::AnswerYes);
}

WindowRig::~WindowRig()
{
    window.reset();
    sim.reset();
}

QJsonObject WindowRig::fileCamera(const char *id, int last, int model)
{
    return QJsonObject{{"id", id},
                       {"mac", macOf(last)},
                       {"ip", QStringLiteral("127.0.0.%1").arg(last)},
                       {"model", model},
                       {"model_name", "L80"},
                       {"host_name", id},
                       {"version", 2},
                       {"restart_delay", 0.3},
                       {"tags", QJsonObject{{"2", 1}}}};
}

QString WindowRig::macOf(int last)
{
    return QStringLiteral("00:0A:1B:2C:3D:%1").arg(last, 2, 16, QLatin1Char('0')).toUpper();
}

bool WindowRig::start(const QJsonArray &fleet)
{
    const quint16 ftpPort = CamSimProcess::freeTcpPort();
    if (!sim->start(fleet, {QStringLiteral("--ftp-port"), QString::number(ftpPort)})) {
        qWarning() << sim->errorString();
        return false;
    }
    AppOptions options;
    options.broadcast = QHostAddress(QStringLiteral("127.255.255.255"));
    options.cameraPort = sim->cameraPort();
    options.localPort = CamSimProcess::freeUdpPort();
    options.ftpPort = ftpPort;
    window = std::make_unique<TAdminToolDlg>(options, &messenger);
    window->setCredentialPrompt(&prompt);
    window->setUp();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        return false;
    window->findChild<QToolButton *>(QStringLiteral("BtnScanCamera"))->click();
    CameraList &list = window->core().list();
    return QTest::qWaitFor([&] { return list.count() == fleet.size(); }, 5000);
}

int WindowRig::selectMac(const QString &mac)
{
    CameraList &list = window->core().list();
    const int row = list.rowOfMac(mac);
    window->cameraList()->selectionModel()->select(
        list.index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    return row;
}

QByteArray WindowRig::cameraFile(const char *id, const QString &relative)
{
    const QString root = sim->get(QLatin1String(id))["state"].toObject()["root"].toString();
    QFile f(root + QLatin1Char('/') + relative);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList WindowRig::ftpLog(const char *id)
{
    QFile f(sim->stateDir() + QStringLiteral("/state/") + QLatin1String(id) + QStringLiteral("/ftp.log"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool WindowRig::waitPresent(int row, int timeoutMs)
{
    CameraList &list = window->core().list();
    return QTest::qWaitFor(
        [&] {
            window->core().clockTick(QDateTime::currentDateTime());
            return row < list.count() && list.icon(row) == CameraList::Present;
        },
        timeoutMs);
}
