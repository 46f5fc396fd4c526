#pragma once

#include "transfer/transfer_worker.h"

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

    // On the job's thread: the logged-in client kept for this connection, set to its
    // limits, or nullptr (a kept one for other settings is quit first).
    std::unique_ptr<FtpClient> take(const FtpConnection &connection);
    // On the job's thread, after the job: kept while it is logged in and the session is
    // open; otherwise quit here.
    void giveBack(std::unique_ptr<FtpClient> client, const FtpConnection &connection);

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
    std::unique_ptr<QThread> m_closer;
};
