#pragma once

#include "transfer/transfer_worker.h"

#include <QElapsedTimer>
#include <QMutex>

#include <functional>
#include <memory>

class FtpClient;
class QObject;

// One camera's FTP login kept across the jobs of a script: the first job logs in, the
// following ones run on the same control connection, each on its own worker thread but
// never two at once. A job that failed, was aborted or quit hands nothing back, so the
// next job logs in afresh, as a single job would.
class FtpSession final
{
    Q_DISABLE_COPY_MOVE(FtpSession)

public:
    // The reply limit of the closing QUIT: a server that never answers it holds nobody.
    static constexpr int kQuitReplyMs = 1000;

    FtpSession();
    // Waits for a close() under way; a connection still held is quit here.
    ~FtpSession();

    // A connection a fetch left this recently is used without a probe: a camera that
    // was only read from has no reason to have gone since.
    static constexpr int kTrustMs = 1000;

    // On the job's thread: the logged-in client kept for this connection, set to its
    // limits, or nullptr (a kept one for other settings is quit first). probe says
    // whether the job is to check it with a command first.
    std::unique_ptr<FtpClient> take(const FtpConnection &connection, bool *probe = nullptr);
    // On the job's thread, after the job: kept while it is logged in and the session is
    // open; otherwise quit here. cameraRunning: the job changed nothing that makes the
    // camera restart.
    void giveBack(std::unique_ptr<FtpClient> client, const FtpConnection &connection,
                  bool cameraRunning = false);

    // The script is done with the camera: the connection is quit on a thread of its own,
    // and done() runs on context's thread once it is (at once when none is held). Jobs
    // that end later keep nothing.
    void close(QObject *context, std::function<void()> done);
    bool isOpen() const;

private:
    static bool sameServer(const FtpConnection &a, const FtpConnection &b);
    static void quitQuickly(FtpClient &client);

    mutable QMutex m_mutex;
    std::unique_ptr<FtpClient> m_client;
    FtpConnection m_connection;
    bool m_closed = false;
    bool m_trusted = false;
    QElapsedTimer m_keptSince;
    std::unique_ptr<QThread> m_closer;
};
