#pragma once

#include "base/messenger.h"
#include "fileconfig/config_transfer_session.h"
#include "fileconfig/transfer_mode.h"
#include "protoconfig/credentials.h"
#include "transfer/flash_job.h"
#include "transfer/transfer_result.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

class CameraNetwork;
class FtpSession;
struct TConfigItem;

// One camera's configuration work for a script: file set transfers one after the other,
// each the same run as the window's configuration window (a fetch; or an upload, the
// apply command and the camera's answer), all in the job's own local folder. What to do
// after a transfer is the caller's: it passes the next step along with each transfer and
// ends the job with finish().
class ConfigJob final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ConfigJob)

public:
    // How a transfer ended.
    enum class Outcome { Done, LoginRefused, Failed, Refused, NoAnswer };
    using Then = std::function<void(Outcome)>;

    ConfigJob(CameraNetwork &network, int record, const LoginEntry &login, const QString &folder,
              QObject *parent = nullptr);

    int record() const { return m_record; }
    const TConfigItem &camera() const;
    QString mac() const { return m_mac; }
    const QString &folder() const { return m_folder; }

    // Runs one transfer of a file set; then() hears how it ended, once.
    void transfer(int set, TransferMode mode, Then then);
    // Stores a firmware image with the upload worker on a thread of its own; then() hears
    // the worker's result. A camera writing its flash is never cut off: the job waits for
    // its answer however the run ends.
    void flash(const FlashJob &job, std::function<void(const TransferResult &)> then);

    // Runs the sets one after the other; done() runs after the last. The first that
    // fails goes to failed() when given, else it ends the job with its outcome, named by
    // its page.
    void transferEach(QList<int> sets, TransferMode mode, std::function<void()> done,
                      std::function<void(Outcome)> failed = {});
    // The daemon folder's listing of the last fetch that made one.
    const QStringList &listing() const { return m_listing; }
    // The messages of the last transfer that failed, one line, and the outcome code of
    // how a transfer ended.
    QString failureText() const { return m_failure; }
    static int statusOf(Outcome outcome);
    static QString verdictOf(Outcome outcome);
    // The page a file set belongs to, as scripts name it ("stream").
    static QString pageNameOf(int set);

    // The job is over: verdict and text for the report, the outcome code they stand for.
    // ended() follows once the camera's FTP login is quit.
    void finish(const QString &verdict, const QString &text, int status);
    bool finished() const { return m_finished; }
    QString verdict() const { return m_verdict; }
    QString text() const { return m_text; }
    int status() const { return m_status; }
    // An upload or a firmware image was started: the camera may hold something new.
    bool sent() const { return m_sent; }

signals:
    void ended();
    // Bytes of the firmware image sent so far.
    void flashProgress(qint64 done, qint64 total);

private:
    void sessionFinished(ConfigTransferSession::Result result);

    CameraNetwork &m_network;
    const int m_record;
    const QString m_mac;
    const QString m_folder;
    ScriptedMessenger m_messenger;
    // Every transfer of the job, the firmware image too, runs on this one login.
    std::shared_ptr<FtpSession> m_ftp;
    ConfigTransferSession m_session;
    QTimer m_timeoutTimer;
    QTimer m_resendTimer;
    Then m_then;
    QStringList m_listing;
    QString m_failure;
    bool m_refused = false;
    quint64 m_flashRuns = 0;
    bool m_finished = false;
    bool m_sent = false;
    QString m_verdict;
    QString m_text;
    int m_status = 0;
};
