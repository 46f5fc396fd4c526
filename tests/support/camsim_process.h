#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// The camera simulator as a child process, for end-to-end tests: a fleet on loopback
// addresses, driven through its JSON-lines control channel.
class CamSimProcess
{
public:
    CamSimProcess();
    ~CamSimProcess();

    // Starts the fleet (a JSON list of camera entries or {"defaults", "cameras"}) on a free
    // camera port; false with errorString() when it does not come up.
    bool start(const QJsonValue &fleet, const QStringList &extraArgs = {QStringLiteral("--no-ftp")});
    QString errorString() const { return m_error; }

    quint16 cameraPort() const { return m_cameraPort; }
    QJsonArray cameras() const { return m_cameras; }
    QString stateDir() const { return m_state.path(); }

    // One control command; the answer object (with "ok").
    QJsonObject command(const QJsonObject &cmd, int timeoutMs = 5000);
    QJsonObject get(const QString &id);
    bool set(const QString &id, const QJsonObject &fields);
    QJsonArray log(const QString &id);

    // A port no other program holds or can take until this test program ends (0 when
    // none is left).
    static quint16 freeUdpPort();
    static quint16 freeTcpPort();

private:
    bool launch(const QStringList &args);
    bool waitReady(int timeoutMs);
    QJsonObject readLine(int timeoutMs);

    QProcess m_process;
    QTemporaryDir m_state;
    QString m_error;
    quint16 m_cameraPort = 0;
    QJsonArray m_cameras;
    QByteArray m_pending;
};
