#include "config_fetch_helper.h"

#include "base/shared_routines.h"
#include "protocol/datagram.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>

FetchRig::FetchRig() = default;

FetchRig::~FetchRig()
{
    // Workers end before the camera goes away, so none waits on a vanished server.
    session.reset();
}

bool FetchRig::start(const QJsonObject &behaviour)
{
    QJsonObject entry{{"id", kId},           {"mac", kMac},
                      {"ip", "127.0.0.71"},  {"model", 0},
                      {"model_name", "L80"}, {"admin_id", "root"},
                      {"admin_password", "pass"}};
    for (auto it = behaviour.begin(); it != behaviour.end(); ++it)
        entry.insert(it.key(), it.value());
    if (!sim.start(QJsonArray{entry}, {})) {
        m_error = sim.errorString();
        return false;
    }
    const QJsonObject state = cameraState();
    m_root = state.value("root").toString();
    const auto reply = Zora::DiscoveryReply::parse(
        QByteArray::fromHex(state.value("discovery_reply").toString().toLatin1()));
    if (!reply || m_root.isEmpty()) {
        m_error = QStringLiteral("no discovery reply or FTP root from the simulator");
        return false;
    }
    camera.fillFromReply(*reply, QStringLiteral("127.0.0.71"));
    camera.AdminId = QStringLiteral("root");
    camera.AdminPassword = QStringLiteral("pass");
    camera.ConnectionKind = Connection::Local;
    camera.FtpSettings = FtpConnectionSetting{qint32(state.value("ftp_port").toInt()), true, 0};

    endpoint.setBroadcastAddress(QHostAddress(QStringLiteral("127.255.255.255")));
    endpoint.setCameraPort(sim.cameraPort());
    endpoint.setLocalPort(CamSimProcess::freeUdpPort());
    QDir().mkpath(LocalTempFolder());

    session = std::make_unique<ConfigTransferSession>(endpoint, messenger, &results);
    FtpClient::Limits limits;
    limits.replyMs = 8000;
    limits.stallSeconds = 8;
    session->setFtpLimits(limits);
    CommandSources sources;
    sources.localAddress = [] { return QStringLiteral("127.0.0.1"); };
    sources.randomValue = [] { return quint16(0x1234); };
    session->setCommandSources(sources);
    return true;
}

ConfigTransfer FetchRig::transfer(int set, TransferMode mode, bool passive,
                                  quint8 transferType) const
{
    ConfigTransfer t = ConfigTransfer::forCamera(camera, 0, QStringLiteral("2"), set, mode);
    t.ftp.passive = passive;
    t.ftp.transferType = transferType;
    return t;
}

void FetchRig::begin(const ConfigTransfer &transfer)
{
    session->configure(transfer);
    session->show();
}

QJsonObject FetchRig::cameraState()
{
    return sim.get(kId).value("state").toObject();
}

QByteArray FetchRig::cameraFile(const QString &relative) const
{
    QFile f(QDir(m_root).filePath(relative));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool FetchRig::writeCameraFile(const QString &relative, const QByteArray &bytes) const
{
    QFile f(QDir(m_root).filePath(relative));
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

bool FetchRig::removeCameraFile(const QString &relative) const
{
    return QFile::remove(QDir(m_root).filePath(relative));
}

QStringList FetchRig::cameraFilesNamed(const QString &suffix) const
{
    QStringList found;
    QDirIterator it(m_root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.endsWith(suffix))
            found.append(QDir(m_root).relativeFilePath(path));
    }
    return found;
}

QStringList FetchRig::ftpCommands() const
{
    QFile f(sim.stateDir() + QStringLiteral("/state/") + QLatin1String(kId)
            + QStringLiteral("/ftp.log"));
    QStringList lines;
    if (!f.open(QIODevice::ReadOnly))
        return lines;
    for (const QByteArray &line : f.readAll().split('\n')) {
        const qsizetype blank = line.indexOf(' ');
        if (blank > 0)
            lines.append(QString::fromLatin1(line.mid(blank + 1)));
    }
    return lines;
}

QList<int> FetchRig::receivedActions()
{
    // From the raw datagrams: the simulator decodes the body only of commands it answers.
    QList<int> actions;
    const QJsonArray log = sim.log(kId);
    for (const QJsonValue &v : log) {
        const QByteArray d = QByteArray::fromHex(v.toObject().value("hex").toString().toLatin1());
        if (d.size() >= 49 && d.startsWith("ADCT") && (quint8(d.at(7)) & 0x7F) == 6)
            actions.append(quint8(d.at(46)));
    }
    return actions;
}

QString FetchRig::localFile(const QString &name) const
{
    return TempFilePath(name);
}

QByteArray FetchRig::readLocal(const QString &name) const
{
    QFile f(localFile(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool FetchRig::writeLocal(const QString &name, const QByteArray &bytes) const
{
    QFile f(localFile(name));
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QStringList FetchRig::localFilesNamed(const QString &suffix) const
{
    QStringList found;
    for (const QString &name : QDir(LocalTempFolder()).entryList(QDir::Files)) {
        if (name.endsWith(suffix))
            found.append(name);
    }
    return found;
}

QByteArray FetchRig::reply(quint8 type, const QByteArray &mac) const
{
    QByteArray d = camera.Header.value_or(QByteArray(Zora::kHeaderSize, '\0'));
    d.replace(0, 4, Zora::kReplyMagic.toByteArray());
    d[7] = char(type);
    d.replace(9, 6, mac);
    Zora::PutLe16(d, 5, quint16(d.size()));
    return d;
}
