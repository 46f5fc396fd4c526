#pragma once

#include <QMutex>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>

// One camera's FTP connection, driven by the thread that calls its operations (a worker
// thread, never the user-interface thread). Each operation blocks until the server's
// final reply and returns false with errorString() set on any other outcome. Progress
// is reported through signals emitted on the driving thread; connect receivers on other
// threads with the default (queued) connection.
//
// A job is: set the parameters, connectToHost(), operations, quit(). Every operation
// of the job runs on the one control connection opened by connectToHost(); a lost
// connection is an error, never a silent new login.
class FtpClient final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FtpClient)

public:
    enum class Direction { Read, Write };
    Q_ENUM(Direction)

    // Bounds on a server that stops answering. The defaults suit a camera on the local
    // network; tests shrink them.
    struct Limits {
        int replyMs = 15000;           // the greeting and login together, and each reply
        int stallSeconds = 30;         // a data transfer slower than stallBytesPerSecond
        int stallBytesPerSecond = 1;   //   for this long is cut
        // A camera's files are a few KB and its folders hold a handful of names: a fetch
        // past these bounds is a broken or hostile camera, stopped before it fills the disk.
        qint64 maxFetchBytes = qint64(1) << 20;
        qint64 maxListingBytes = qint64(64) << 10;
    };

    struct StoreOptions {
        bool forceBinary = false;      // firmware images go binary whatever the setting
        int finalReplyMs = 0;          // > 0: wait this long for the reply after the data
    };

    explicit FtpClient(QObject *parent = nullptr);
    ~FtpClient() override;

    void setHost(const QString &host);
    void setPort(int port);
    void setUser(const QString &user);
    void setPassword(const QString &password);
    void setPassive(bool passive);
    void setTransferType(quint8 type);   // 0 binary ("TYPE I"), anything else ASCII ("TYPE A")
    void setLimits(const Limits &limits);
    Limits limits() const { return m_limits; }

    bool connectToHost();
    bool isConnected() const;
    // Before a job on a connection kept from an earlier one: checks the server still
    // answers (and goes back to the login folder when a job moved away). A connection
    // the server closed is logged in to again, once, and a status line says so; false
    // when that login fails too. Without probe, a connection with nothing unread on it is
    // taken as open (for one a job left a moment ago).
    bool resume(bool probe = true);
    bool store(const QString &localPath, const QString &remoteName,
               const StoreOptions &options);
    bool store(const QString &localPath, const QString &remoteName);
    bool retrieve(const QString &remoteName, const QString &localPath);
    bool remove(const QString &remotePath);
    // Deletes each path it can in one exchange; a missing or refused one is passed over
    // and keeps the connection open. False only when the exchange itself failed.
    bool removeIfPresent(const QStringList &remotePaths);
    bool rename(const QString &oldPath, const QString &newPath);
    // Moves tmpPath over finalPath the way the camera expects: "DELE final" (a missing
    // final file is no error), then "RNFR tmp" / "RNTO final".
    bool replace(const QString &tmpPath, const QString &finalPath);
    bool changeDirectory(const QString &name);
    bool site(const QString &command);
    bool nameList(QStringList *names);
    // Sends "QUIT" when connected and closes the connection in any case.
    bool quit();

    // Callable from any thread: cuts the pending operation at once and fails every later
    // one. An aborted client is finished; make a new one for the next job.
    void abort();
    bool isAborted() const { return m_aborted.load(); }

    QString errorString() const { return m_error; }
    // The last retrieve or name list was stopped because it passed its bound.
    bool overLimit() const { return m_overLimit; }
    // The server's last reply line ("530 Login incorrect."), empty before the first.
    QString lastReply() const { return m_lastReply; }
    // The last connect got no word from any server at the address and port (refused,
    // or nothing came in time): a wrong port rather than a refused login.
    bool serverSilent() const { return m_lastReply.isEmpty() && m_guardRefusal.isEmpty() && !isAborted(); }

Q_SIGNALS:
    void workBegin(FtpClient::Direction direction, qint64 total);
    void work(FtpClient::Direction direction, qint64 done);
    void workEnd(FtpClient::Direction direction);
    void status(const QString &text);

private:
    struct Transfer;
    friend struct FtpCallbacks;

    bool checkName(const QString &name, const char *what);
    bool requireConnection();
    bool perform(const QByteArray &url, const char *operation);
    // Runs the handle's request to its end; the libcurl result code.
    int run(void *handle);
    bool runCommands(const QList<QByteArray> &commands, const char *operation);
    QByteArray urlFor(const QString &remoteName) const;
    void resetRequest();
    void closeHandle();
    bool fail(const QString &text);
    bool failOverLimit(const QString &what, qint64 limit);

    int openSocket(int purpose, const void *address, int family, int type, int protocol);
    void noteSocket(int fd);
    // Reads what the server still says on a closing control connection (bounded).
    void drainFinalReply(int fd);
    static constexpr int kFinalReplyDrainMs = 250;
    int closeSocket(int fd);
    // The control connection is still open: nothing unread on it (a server that closes
    // its end, or says it will with a 421, makes it readable).
    bool controlSocketQuiet() const;

    QString m_host;
    int m_port = 21;
    QString m_user;
    QString m_password;
    bool m_passive = true;
    bool m_ascii = false;
    Limits m_limits;

    void *m_curl = nullptr;
    void *m_multi = nullptr;   // drives m_curl; holds its connection between operations
    char *m_errorBuffer = nullptr;
    Transfer *m_transfer = nullptr;
    QString m_error;
    QString m_lastReply;
    QString m_guardRefusal;
    QByteArray m_replyLine;
    bool m_overLimit = false;
    QByteArray m_entryPath;          // the login folder, as the server named it
    bool m_movedDirectory = false;   // a CWD left the login folder

    std::atomic<bool> m_aborted = false;
    mutable QMutex m_socketMutex;     // abort() runs on another thread
    QSet<int> m_sockets;
    int m_controlSocket = -1;
};
