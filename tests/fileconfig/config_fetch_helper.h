#pragma once

#include "base/messenger.h"
#include "camsim_process.h"
#include "fileconfig/config_transfer_session.h"
#include "protocol/command_result_sink.h"
#include "protocol/config_item.h"
#include "protocol/udp_endpoint.h"
#include "test_support.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

// Records the result reports of a configuration run.
class ResultRecorder final : public CommandResultSink
{
public:
    void ZORASetSuccess(int recordIndex) override { successes.append(recordIndex); }
    void ZORAAuthFail(int recordIndex) override { authFailures.append(recordIndex); }

    QList<int> successes;
    QList<int> authFailures;
};

// One simulated file-configured camera with its FTP server, the tool's endpoint on
// loopback and a fetch session pointed at the application's temp folder.
class FetchRig
{
public:
    static constexpr const char *kId = "cam";
    static constexpr const char *kMac = "00:0A:1B:2C:3D:71";

    FetchRig();
    ~FetchRig();

    // Starts the camera; `behaviour` is merged into its fleet entry.
    bool start(const QJsonObject &behaviour = {});
    QString error() const { return m_error; }

    ConfigTransfer transfer(int set, TransferMode mode, bool passive = true,
                            quint8 transferType = 0) const;
    // Configures and shows; the run goes on in the event loop.
    void begin(const ConfigTransfer &transfer);

    // The camera's file under its FTP root ("etc/ddns.conf"); "<missing>" when absent.
    QByteArray cameraFile(const QString &relative) const;
    bool writeCameraFile(const QString &relative, const QByteArray &bytes) const;
    bool removeCameraFile(const QString &relative) const;
    QStringList cameraFilesNamed(const QString &suffix) const;
    // Every FTP command line the camera received, without the session numbers.
    QStringList ftpCommands() const;
    // Control actions of the commands the camera received, in order.
    QList<int> receivedActions();
    QJsonObject cameraState();

    QString localFile(const QString &name) const;
    QByteArray readLocal(const QString &name) const;
    bool writeLocal(const QString &name, const QByteArray &bytes) const;
    QStringList localFilesNamed(const QString &suffix) const;

    // A reply as the camera would send it, of the given type and MAC.
    QByteArray reply(quint8 type, const QByteArray &mac) const;

    TestSupport::AppDir dir;
    CamSimProcess sim;
    UdpEndpoint endpoint;
    ScriptedMessenger messenger;
    ResultRecorder results;
    TConfigItem camera;
    std::unique_ptr<ConfigTransferSession> session;

private:
    QString m_error;
    QString m_root;
};
