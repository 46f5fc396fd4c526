#include "transfer/ftp_client.h"

#include "base/send_guard.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>

#include <curl/curl.h>

#include <cctype>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

// What the data callbacks of one store, retrieve or listing work on.
struct FtpClient::Transfer {
    Direction direction = Direction::Read;
    qint64 total = -1;
    qint64 done = 0;
    bool begun = false;
    bool ascii = false;
    bool pendingCr = false;
    QFile *source = nullptr;
    QSaveFile *sink = nullptr;
    QByteArray *buffer = nullptr;
    bool localError = false;
    qint64 limit = -1;         // >= 0: a fetch stops before its data passes this many bytes
    bool overLimit = false;
};

namespace {

CURL *easy(void *handle)
{
    return static_cast<CURL *>(handle);
}

// libcurl's global set-up is not thread-safe in every build; do it once for the
// process before the first handle, whichever thread creates it.
void initCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool hasControlCharacter(const QString &text)
{
    for (const QChar c : text) {
        if (c == u'\r' || c == u'\n' || c == u'\0')
            return true;
    }
    return false;
}

QString sizeText(qint64 bytes)
{
    if (bytes > 0 && bytes % (qint64(1) << 20) == 0)
        return QStringLiteral("%1 MiB").arg(bytes >> 20);
    if (bytes > 0 && bytes % 1024 == 0)
        return QStringLiteral("%1 KiB").arg(bytes >> 10);
    return QStringLiteral("%1 bytes").arg(bytes);
}

bool fitsLatin1(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0xFF)
            return false;
    }
    return true;
}

struct SList {
    curl_slist *list = nullptr;
    explicit SList(const QList<QByteArray> &items)
    {
        for (const QByteArray &item : items)
            list = curl_slist_append(list, item.constData());
    }
    ~SList() { curl_slist_free_all(list); }
    SList(const SList &) = delete;
    SList &operator=(const SList &) = delete;
};

} // namespace

// The C callbacks libcurl calls, forwarding to the client that owns the handle.
struct FtpCallbacks {
    static curl_socket_t open(void *client, curlsocktype purpose, curl_sockaddr *address)
    {
        return static_cast<FtpClient *>(client)->openSocket(
            purpose, &address->addr, address->family, address->socktype, address->protocol);
    }

    static int sockopt(void *client, curl_socket_t fd, curlsocktype purpose)
    {
        // Data connections accepted in active mode do not pass open(); abort() must be able
        // to cut them too.
        if (purpose == CURLSOCKTYPE_ACCEPT)
            static_cast<FtpClient *>(client)->noteSocket(fd);
        return CURL_SOCKOPT_OK;
    }

    static int close(void *client, curl_socket_t fd)
    {
        return static_cast<FtpClient *>(client)->closeSocket(fd);
    }

    static int progress(void *client, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
    {
        return static_cast<FtpClient *>(client)->m_aborted.load() ? 1 : 0;
    }

    static size_t header(char *data, size_t size, size_t count, void *client)
    {
        auto *self = static_cast<FtpClient *>(client);
        const size_t bytes = size * count;
        self->m_replyLine.append(data, qsizetype(bytes));
        if (self->m_replyLine.endsWith('\n')) {
            const QByteArray line = self->m_replyLine.trimmed();
            if (!line.isEmpty())
                self->m_lastReply = QString::fromLatin1(line);
            self->m_replyLine.clear();
        }
        return bytes;
    }

    static void begin(FtpClient *self, FtpClient::Transfer *t)
    {
        if (t->begun)
            return;
        t->begun = true;
        if (t->total < 0 && t->direction == FtpClient::Direction::Read) {
            curl_off_t length = -1;
            if (curl_easy_getinfo(easy(self->m_curl), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length)
                    == CURLE_OK)
                t->total = length;
        }
        Q_EMIT self->workBegin(t->direction, t->total);
    }

    static size_t write(char *data, size_t size, size_t count, void *client)
    {
        auto *self = static_cast<FtpClient *>(client);
        const size_t bytes = size * count;
        FtpClient::Transfer *t = self->m_transfer;
        if (!t)
            return bytes;
        if (self->m_aborted.load())
            return 0;
        begin(self, t);
        // Nothing past the bound reaches the local file or the buffer; an announced size
        // over it stops the fetch before its first byte.
        if (t->limit >= 0 && (t->total > t->limit || t->done + qint64(bytes) > t->limit)) {
            t->overLimit = true;
            return 0;
        }
        if (t->sink) {
            if (t->sink->write(data, qint64(bytes)) != qint64(bytes)) {
                t->localError = true;
                return 0;
            }
        } else if (t->buffer) {
            t->buffer->append(data, qsizetype(bytes));
        }
        t->done += qint64(bytes);
        Q_EMIT self->work(t->direction, t->done);
        return bytes;
    }

    static size_t read(char *data, size_t size, size_t count, void *client)
    {
        auto *self = static_cast<FtpClient *>(client);
        FtpClient::Transfer *t = self->m_transfer;
        const size_t room = size * count;
        if (!t || !t->source)
            return 0;
        if (self->m_aborted.load())
            return CURL_READFUNC_ABORT;
        begin(self, t);
        size_t produced = t->ascii ? readAscii(t, data, room) : readBinary(t, data, room);
        if (produced == CURL_READFUNC_ABORT)
            return produced;
        if (produced > 0)
            Q_EMIT self->work(t->direction, t->done);
        return produced;
    }

    static size_t readBinary(FtpClient::Transfer *t, char *data, size_t room)
    {
        const qint64 got = t->source->read(data, qint64(room));
        if (got < 0) {
            t->localError = true;
            return CURL_READFUNC_ABORT;
        }
        t->done += got;
        return size_t(got);
    }

    // libcurl turns every LF of an ASCII upload into CR LF; a local file that already has
    // CR LF ends would reach the camera as CR CR LF. Dropping the CR of each CR LF pair
    // here makes the wire CR LF whichever ends the local copy has.
    static size_t readAscii(FtpClient::Transfer *t, char *data, size_t room)
    {
        if (room < 2)
            return readBinary(t, data, room);
        size_t out = 0;
        while (out == 0) {
            QByteArray in(qsizetype(room - 1), Qt::Uninitialized);
            const qint64 got = t->source->read(in.data(), in.size());
            if (got < 0) {
                t->localError = true;
                return CURL_READFUNC_ABORT;
            }
            t->done += got;
            if (got == 0) {
                if (t->pendingCr) {
                    t->pendingCr = false;
                    data[out++] = '\r';
                }
                return out;
            }
            qint64 i = 0;
            if (t->pendingCr) {
                t->pendingCr = false;
                if (in.at(0) != '\n')
                    data[out++] = '\r';
            }
            for (; i < got; ++i) {
                const char c = in.at(i);
                if (c == '\r') {
                    if (i + 1 == got) {
                        t->pendingCr = true;
                        continue;
                    }
                    if (in.at(i + 1) == '\n')
                        continue;
                }
                data[out++] = c;
            }
        }
        return out;
    }
};

FtpClient::FtpClient(QObject *parent)
    : QObject(parent)
{
    initCurlOnce();
    m_errorBuffer = new char[CURL_ERROR_SIZE];
    m_errorBuffer[0] = '\0';
}

FtpClient::~FtpClient()
{
    closeHandle();
    delete[] m_errorBuffer;
}

void FtpClient::setHost(const QString &host) { m_host = host; }
void FtpClient::setPort(int port) { m_port = port; }
void FtpClient::setUser(const QString &user) { m_user = user; }
void FtpClient::setPassword(const QString &password) { m_password = password; }
void FtpClient::setPassive(bool passive) { m_passive = passive; }
void FtpClient::setTransferType(quint8 type) { m_ascii = type != 0; }
void FtpClient::setLimits(const Limits &limits) { m_limits = limits; }

bool FtpClient::fail(const QString &text)
{
    m_error = text;
    return false;
}

bool FtpClient::failOverLimit(const QString &what, qint64 limit)
{
    m_overLimit = true;
    return fail(QStringLiteral("%1 on the camera is larger than %2; the fetch was stopped")
                    .arg(what, sizeText(limit)));
}

// Names go into the control connection verbatim; a CR or LF would let a name carry
// commands of its own.
bool FtpClient::checkName(const QString &name, const char *what)
{
    if (name.isEmpty())
        return fail(QStringLiteral("The %1 is empty").arg(QLatin1StringView(what)));
    if (hasControlCharacter(name))
        return fail(QStringLiteral("The %1 contains a line break or NUL character")
                        .arg(QLatin1StringView(what)));
    if (!fitsLatin1(name))
        return fail(QStringLiteral("The %1 has characters the camera cannot store")
                        .arg(QLatin1StringView(what)));
    return true;
}

bool FtpClient::isConnected() const
{
    QMutexLocker lock(&m_socketMutex);
    return m_curl && m_controlSocket != -1;
}

bool FtpClient::requireConnection()
{
    if (m_aborted.load())
        return fail(QStringLiteral("The transfer was aborted"));
    if (!isConnected())
        return fail(QStringLiteral("Not connected to the camera's FTP server"));
    return true;
}

bool FtpClient::connectToHost()
{
    m_error.clear();
    m_lastReply.clear();
    m_guardRefusal.clear();
    if (m_aborted.load())
        return fail(QStringLiteral("The transfer was aborted"));
    if (m_host.isEmpty() || hasControlCharacter(m_host) || m_host.contains(u'/')
        || m_host.contains(u'@'))
        return fail(QStringLiteral("Invalid camera address \"%1\"").arg(m_host));
    if (m_port < 1 || m_port > 65535)
        return fail(QStringLiteral("Invalid FTP port %1").arg(m_port));
    if (hasControlCharacter(m_user) || hasControlCharacter(m_password))
        return fail(QStringLiteral("The user name or password contains a line break"));
    const QHostAddress literal(m_host);
    if (!literal.isNull()) {
        const QString refusal = SendGuard::refusal(literal);
        if (!refusal.isEmpty())
            return fail(refusal);
    }

    closeHandle();
    CURL *curl = curl_easy_init();
    CURLM *multi = curl_multi_init();
    if (!curl || !multi) {
        curl_easy_cleanup(curl);
        curl_multi_cleanup(multi);
        return fail(QStringLiteral("Cannot create an FTP connection"));
    }
    m_curl = curl;
    m_multi = multi;
    m_errorBuffer[0] = '\0';

    const QByteArray user = m_user.toLatin1();
    const QByteArray password = m_password.toLatin1();
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, m_errorBuffer);
    curl_easy_setopt(curl, CURLOPT_USERNAME, user.constData());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
    curl_easy_setopt(curl, CURLOPT_FTP_USE_EPSV, 0L);
    curl_easy_setopt(curl, CURLOPT_FTP_USE_EPRT, 0L);
    curl_easy_setopt(curl, CURLOPT_FTPPORT, m_passive ? nullptr : "-");
    // Names are sent as the callers give them, never split into one CWD per segment.
    curl_easy_setopt(curl, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_NOCWD));
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(m_limits.replyMs));
    curl_easy_setopt(curl, CURLOPT_ACCEPTTIMEOUT_MS, long(m_limits.replyMs));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, long(m_limits.stallBytesPerSecond));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, long(m_limits.stallSeconds));
    curl_easy_setopt(curl, CURLOPT_OPENSOCKETFUNCTION, &FtpCallbacks::open);
    curl_easy_setopt(curl, CURLOPT_OPENSOCKETDATA, this);
    curl_easy_setopt(curl, CURLOPT_SOCKOPTFUNCTION, &FtpCallbacks::sockopt);
    curl_easy_setopt(curl, CURLOPT_SOCKOPTDATA, this);
    curl_easy_setopt(curl, CURLOPT_CLOSESOCKETFUNCTION, &FtpCallbacks::close);
    curl_easy_setopt(curl, CURLOPT_CLOSESOCKETDATA, this);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &FtpCallbacks::progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &FtpCallbacks::header);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &FtpCallbacks::write);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, &FtpCallbacks::read);
    curl_easy_setopt(curl, CURLOPT_READDATA, this);

    Q_EMIT status(QStringLiteral("Connecting to %1:%2").arg(m_host).arg(m_port));
    // The login itself is a request without a body; the type and the system query follow
    // it as the camera's tools have always sent them. Any answer to SYST is accepted.
    const bool ok = runCommands({m_ascii ? QByteArrayLiteral("TYPE A") : QByteArrayLiteral("TYPE I"),
                                 QByteArrayLiteral("*SYST")},
                                "Login");
    if (!ok || !isConnected()) {
        const QString error = ok ? QStringLiteral("The server closed the connection") : m_error;
        closeHandle();
        return fail(error);
    }
    const char *entry = nullptr;
    m_entryPath.clear();
    m_movedDirectory = false;
    if (curl_easy_getinfo(curl, CURLINFO_FTP_ENTRY_PATH, &entry) == CURLE_OK && entry)
        m_entryPath = entry;
    Q_EMIT status(QStringLiteral("Logged in to %1:%2").arg(m_host).arg(m_port));
    return true;
}

bool FtpClient::resume(bool probe)
{
    m_error.clear();
    m_lastReply.clear();
    if (m_aborted.load())
        return fail(QStringLiteral("The transfer was aborted"));
    // The probe is one round trip. A camera that restarted since the last job may have
    // dropped the connection without a word; only a command finds that out.
    bool open = isConnected() && controlSocketQuiet();
    if (open && !probe && !m_movedDirectory)
        return true;
    if (open) {
        const bool home = m_movedDirectory && !m_entryPath.isEmpty();
        if (m_movedDirectory && !home)
            open = false;
        else
            open = runCommands({home ? "CWD " + m_entryPath : QByteArrayLiteral("NOOP")}, "Resume");
        if (open && isConnected()) {
            m_movedDirectory = false;
            return true;
        }
    }
    Q_EMIT status(QStringLiteral("The FTP session of %1:%2 was closed; logging in again")
                      .arg(m_host)
                      .arg(m_port));
    closeHandle();
    return connectToHost();
}

QByteArray FtpClient::urlFor(const QString &remoteName) const
{
    QByteArray host = m_host.toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']';
    QByteArray url = "ftp://" + host + ':' + QByteArray::number(m_port) + '/';
    // The first "/" after the host only separates; an absolute name needs its own slash
    // encoded, or libcurl would send it relative to the login directory.
    QString name = remoteName;
    if (name.startsWith(u'/')) {
        url += "%2F";
        name.remove(0, 1);
    }
    url += QUrl::toPercentEncoding(name, "/");
    return url;
}

void FtpClient::resetRequest()
{
    CURL *curl = easy(m_curl);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 0L);
    curl_easy_setopt(curl, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(curl, CURLOPT_DIRLISTONLY, 0L);
    curl_easy_setopt(curl, CURLOPT_QUOTE, nullptr);
    curl_easy_setopt(curl, CURLOPT_TRANSFERTEXT, 0L);
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(-1));
    const long replySeconds = qMax(1L, long((m_limits.replyMs + 999) / 1000));
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, replySeconds);
    // On the open control connection the connect limit only bounds the data connection,
    // but libcurl counts it from the start of the operation: the replies before it (PASV,
    // TYPE) each get their own limit, so a slow but answering server is not cut.
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(m_limits.replyMs) * 3);
    m_transfer = nullptr;
}

bool FtpClient::perform(const QByteArray &url, const char *operation)
{
    CURL *curl = easy(m_curl);
    m_errorBuffer[0] = '\0';
    m_replyLine.clear();
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    const auto code = CURLcode(run(curl));
    if (code == CURLE_OK)
        return true;

    QString text;
    if (m_aborted.load())
        text = QStringLiteral("The transfer was aborted");
    else if (!m_guardRefusal.isEmpty())
        text = m_guardRefusal;
    else if (m_transfer && m_transfer->localError)
        text = m_transfer->sink ? QStringLiteral("Cannot write the local file")
                                : QStringLiteral("Cannot read the local file");
    else if (m_errorBuffer[0] != '\0')
        text = QString::fromLocal8Bit(m_errorBuffer);
    else
        text = QString::fromLatin1(curl_easy_strerror(code));
    QString message = QStringLiteral("%1 failed: %2").arg(QLatin1StringView(operation), text);
    if (!m_lastReply.isEmpty())
        message += QStringLiteral(" (server: \"%1\")").arg(m_lastReply);
    return fail(message);
}

int FtpClient::run(void *handle)
{
    // What curl_easy_perform does, but never sleeping more than a few milliseconds at a
    // time: its own wait is up to a second, and after some replies (a 227 among them)
    // libcurl waits that whole second before it goes on, which made one transfer in
    // five a second slower.
    constexpr int kPollMs = 10;
    CURL *curl = easy(handle);
    CURLM *multi = static_cast<CURLM *>(m_multi);
    if (curl_multi_add_handle(multi, curl) != CURLM_OK)
        return CURLE_FAILED_INIT;
    CURLcode result = CURLE_OK;
    int running = 1;
    while (running) {
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        if (running && curl_multi_poll(multi, nullptr, 0, kPollMs, nullptr) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
    }
    int left = 0;
    while (CURLMsg *message = curl_multi_info_read(multi, &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == curl)
            result = message->data.result;
    }
    curl_multi_remove_handle(multi, curl);
    return result;
}

bool FtpClient::runCommands(const QList<QByteArray> &commands, const char *operation)
{
    resetRequest();
    const SList list(commands);
    CURL *curl = easy(m_curl);
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(curl, CURLOPT_QUOTE, list.list);
    const bool ok = perform(urlFor(QString()), operation);
    curl_easy_setopt(curl, CURLOPT_QUOTE, nullptr);
    return ok;
}

bool FtpClient::store(const QString &localPath, const QString &remoteName)
{
    return store(localPath, remoteName, StoreOptions());
}

bool FtpClient::store(const QString &localPath, const QString &remoteName,
                      const StoreOptions &options)
{
    if (!checkName(remoteName, "remote name") || !requireConnection())
        return false;
    // libcurl has no way to send STOR for a name that ends in "/"; such a name is a
    // directory, and storing to it fails here as it would on the camera.
    if (remoteName.endsWith(u'/'))
        return fail(QStringLiteral("Store failed: \"%1\" names a directory").arg(remoteName));
    QFile source(localPath);
    if (!source.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("Store failed: cannot open \"%1\": %2")
                        .arg(localPath, source.errorString()));

    Transfer transfer;
    transfer.direction = Direction::Write;
    transfer.total = source.size();
    transfer.ascii = m_ascii && !options.forceBinary;
    transfer.source = &source;

    resetRequest();
    CURL *curl = easy(m_curl);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_TRANSFERTEXT, transfer.ascii ? 1L : 0L);
    if (!transfer.ascii)
        curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(transfer.total));
    if (options.finalReplyMs > 0)
        curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT,
                         qMax(1L, long((options.finalReplyMs + 999) / 1000)));
    m_transfer = &transfer;
    bool ok = perform(urlFor(remoteName), "Store");
    m_transfer = nullptr;
    if (transfer.begun)
        Q_EMIT workEnd(Direction::Write);
    // A file that shrank while it was read reaches the server cut short, and the server
    // cannot tell: that is a failed store, never a done one.
    if (ok && transfer.done != transfer.total)
        ok = fail(QStringLiteral("Store failed: \"%1\" changed while it was sent (%2 of %3 bytes)")
                      .arg(localPath)
                      .arg(transfer.done)
                      .arg(transfer.total));
    return ok;
}

bool FtpClient::retrieve(const QString &remoteName, const QString &localPath)
{
    m_overLimit = false;
    if (!checkName(remoteName, "remote name") || !requireConnection())
        return false;
    // A saved file writes through a link at its name: a link there is no working copy of
    // ours, and is not followed.
    if (QFileInfo(localPath).isSymLink())
        return fail(QStringLiteral("Retrieve failed: \"%1\" is a link: refused").arg(localPath));
    // The old local copy stays until the whole file has arrived.
    QSaveFile sink(localPath);
    if (!sink.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("Retrieve failed: cannot write \"%1\": %2")
                        .arg(localPath, sink.errorString()));
    // A camera's files hold its passwords (DDNS, PPPoE, accounts): for this user alone.
    sink.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    Transfer transfer;
    transfer.direction = Direction::Read;
    transfer.ascii = m_ascii;
    transfer.sink = &sink;
    transfer.limit = m_limits.maxFetchBytes;

    resetRequest();
    curl_easy_setopt(easy(m_curl), CURLOPT_TRANSFERTEXT, transfer.ascii ? 1L : 0L);
    m_transfer = &transfer;
    bool ok = perform(urlFor(remoteName), "Retrieve");
    m_transfer = nullptr;
    if (ok && !transfer.begun) {
        transfer.total = 0;
        FtpCallbacks::begin(this, &transfer);
    }
    if (transfer.begun)
        Q_EMIT workEnd(Direction::Read);
    if (!ok) {
        sink.cancelWriting();
        if (transfer.overLimit && !m_aborted.load())
            return failOverLimit(QStringLiteral("\"%1\"").arg(remoteName), transfer.limit);
        return false;
    }
    if (!sink.commit())
        return fail(QStringLiteral("Retrieve failed: cannot replace \"%1\": %2")
                        .arg(localPath, sink.errorString()));
    return true;
}

bool FtpClient::remove(const QString &remotePath)
{
    if (!checkName(remotePath, "remote path") || !requireConnection())
        return false;
    return runCommands({"DELE " + remotePath.toLatin1()}, "Delete");
}

bool FtpClient::removeIfPresent(const QStringList &remotePaths)
{
    QList<QByteArray> commands;
    for (const QString &path : remotePaths) {
        if (!checkName(path, "remote path"))
            return false;
        commands.append("*DELE " + path.toLatin1());
    }
    if (!requireConnection())
        return false;
    return commands.isEmpty() || runCommands(commands, "Delete");
}

bool FtpClient::rename(const QString &oldPath, const QString &newPath)
{
    if (!checkName(oldPath, "remote path") || !checkName(newPath, "remote path")
        || !requireConnection())
        return false;
    return runCommands({"RNFR " + oldPath.toLatin1(), "RNTO " + newPath.toLatin1()}, "Rename");
}

bool FtpClient::replace(const QString &tmpPath, const QString &finalPath)
{
    if (!checkName(tmpPath, "remote path") || !checkName(finalPath, "remote path")
        || !requireConnection())
        return false;
    // A camera that never had the file answers the DELE with 550; the rename that follows
    // decides whether the file was replaced.
    return runCommands({"*DELE " + finalPath.toLatin1(), "RNFR " + tmpPath.toLatin1(),
                        "RNTO " + finalPath.toLatin1()},
                       "Rename");
}

bool FtpClient::changeDirectory(const QString &name)
{
    if (!checkName(name, "directory name") || !requireConnection())
        return false;
    m_movedDirectory = true;
    return runCommands({"CWD " + name.toLatin1()}, "Change directory");
}

bool FtpClient::site(const QString &command)
{
    if (!checkName(command, "site command") || !requireConnection())
        return false;
    return runCommands({"SITE " + command.toLatin1()}, "Site command");
}

bool FtpClient::nameList(QStringList *names)
{
    m_overLimit = false;
    if (!requireConnection())
        return false;
    QByteArray text;
    Transfer transfer;
    transfer.direction = Direction::Read;
    transfer.buffer = &text;
    transfer.limit = m_limits.maxListingBytes;

    resetRequest();
    curl_easy_setopt(easy(m_curl), CURLOPT_DIRLISTONLY, 1L);
    m_transfer = &transfer;
    const bool ok = perform(urlFor(QString()), "Name list");
    m_transfer = nullptr;
    if (transfer.begun)
        Q_EMIT workEnd(Direction::Read);
    if (!ok && transfer.overLimit && !m_aborted.load())
        return failOverLimit(QStringLiteral("The folder listing"), transfer.limit);
    if (!ok)
        return false;
    if (names) {
        names->clear();
        for (QByteArray line : text.split('\n')) {
            if (line.endsWith('\r'))
                line.chop(1);
            if (!line.isEmpty())
                names->append(QString::fromLatin1(line));
        }
    }
    return true;
}

bool FtpClient::quit()
{
    if (!m_curl)
        return true;
    bool ok = true;
    if (isConnected() && !m_aborted.load())
        ok = runCommands({QByteArrayLiteral("QUIT")}, "Quit");
    closeHandle();
    Q_EMIT status(QStringLiteral("Disconnected"));
    return ok;
}

void FtpClient::closeHandle()
{
    if (m_curl) {
        curl_easy_cleanup(easy(m_curl));
        m_curl = nullptr;
    }
    if (m_multi) {
        curl_multi_cleanup(static_cast<CURLM *>(m_multi));
        m_multi = nullptr;
    }
    QMutexLocker lock(&m_socketMutex);
    m_controlSocket = -1;
}

void FtpClient::abort()
{
    QMutexLocker lock(&m_socketMutex);
    m_aborted.store(true);
    // Waking the blocked call now rather than at libcurl's next progress tick.
    for (const int fd : std::as_const(m_sockets))
        ::shutdown(fd, SHUT_RDWR);
}

int FtpClient::openSocket(int purpose, const void *address, int family, int type, int protocol)
{
    Q_UNUSED(purpose);
    const QHostAddress destination(static_cast<const sockaddr *>(address));
    const QString refusal = SendGuard::refusal(destination);
    if (!refusal.isEmpty()) {
        m_guardRefusal = refusal;
        return CURL_SOCKET_BAD;
    }
    QMutexLocker lock(&m_socketMutex);
    if (m_aborted.load())
        return CURL_SOCKET_BAD;
    const int fd = ::socket(family, type | SOCK_CLOEXEC, protocol);
    if (fd < 0)
        return CURL_SOCKET_BAD;
    m_sockets.insert(fd);
    if (m_controlSocket == -1)
        m_controlSocket = fd;
    return fd;
}

void FtpClient::noteSocket(int fd)
{
    QMutexLocker lock(&m_socketMutex);
    m_sockets.insert(fd);
    if (m_aborted.load())
        ::shutdown(fd, SHUT_RDWR);
}

int FtpClient::closeSocket(int fd)
{
    bool control = false;
    {
        QMutexLocker lock(&m_socketMutex);
        m_sockets.remove(fd);
        control = fd == m_controlSocket;
        if (control)
            m_controlSocket = -1;
    }
    // The control connection goes while a transfer failed (the server reset the data
    // connection, say): its final reply ("452 disk full") may be on the way or unread in
    // the socket. It is read for a bounded moment, so the user learns the server's reason
    // rather than only "Send failure".
    if (control && m_transfer && !m_aborted.load())
        drainFinalReply(fd);
    return ::close(fd);
}

bool FtpClient::controlSocketQuiet() const
{
    QMutexLocker lock(&m_socketMutex);
    if (m_controlSocket == -1)
        return false;
    pollfd p{m_controlSocket, POLLIN, 0};
    return ::poll(&p, 1, 0) == 0;
}

void FtpClient::drainFinalReply(int fd)
{
    QElapsedTimer clock;
    clock.start();
    QByteArray pending = m_replyLine;
    char buffer[1024];
    while (clock.elapsed() < kFinalReplyDrainMs) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, int(kFinalReplyDrainMs - clock.elapsed())) <= 0)
            break;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n <= 0)
            break;
        pending.append(buffer, n);
        if (pending.size() > 8192)
            break;
    }
    for (const QByteArray &raw : pending.split('\n')) {
        const QByteArray line = raw.trimmed();
        // A final reply: three digits and a space.
        if (line.size() >= 4 && std::isdigit(uchar(line[0])) && std::isdigit(uchar(line[1]))
            && std::isdigit(uchar(line[2])) && line[3] == ' ')
            m_lastReply = QString::fromLatin1(line);
    }
}
