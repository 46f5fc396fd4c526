#include "site/metrics_server.h"

#include "base/shared_routines.h"
#include "site/site_metrics.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

QByteArray response(const QByteArray &status, const QByteArray &type, const QByteArray &body,
                    const QByteArray &extra = {}, bool withBody = true)
{
    QByteArray out = "HTTP/1.1 " + status + "\r\nContent-Type: " + type + "\r\nContent-Length: "
                     + QByteArray::number(body.size()) + "\r\nConnection: close\r\n" + extra + "\r\n";
    if (withBody)
        out += body;
    return out;
}

QByteArray plain(const QByteArray &status, const QByteArray &extra = {})
{
    return response(status, "text/plain; charset=utf-8", status + '\n', extra);
}

} // namespace

MetricsServer::MetricsServer(std::function<QByteArray()> body, QObject *parent)
    : QObject(parent)
    , m_body(std::move(body))
    , m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &MetricsServer::accept);
}

MetricsServer::~MetricsServer() = default;

bool MetricsServer::listen(const QHostAddress &address, quint16 port, QString *error)
{
    if (m_server->listen(address, port))
        return true;
    if (error)
        *error = u"cannot listen on %1:%2: %3"_s.arg(address.toString()).arg(port).arg(m_server->errorString());
    return false;
}

quint16 MetricsServer::port() const
{
    return m_server->serverPort();
}

bool MetricsServer::parseAddress(const QString &text, QHostAddress *address, quint16 *port, QString *error)
{
    const qsizetype colon = text.lastIndexOf(u':');
    const QString host = colon < 0 ? QString() : text.left(colon);
    const QString portText = colon < 0 ? text : text.mid(colon + 1);
    // Digits only, as every other address option reads them: no sign, blank or leading zero.
    bool ok = !portText.isEmpty() && portText.size() <= 5
              && std::all_of(portText.begin(), portText.end(), [](QChar c) { return c.isDigit() && c.unicode() < 128; })
              && (portText.size() == 1 || portText.front() != u'0');
    const uint number = ok ? portText.toUInt(&ok) : 0;
    if (!ok || number > 65535) {
        if (error)
            *error = u"--metrics %1: the port must be a number 0..65535"_s.arg(text);
        return false;
    }
    // IPv4 in strict dotted decimal (127.1 or 0x7f.0.0.1 would name another address than
    // the one typed); IPv6 in brackets.
    QHostAddress parsed;
    if (host.isEmpty()) {
        parsed = QHostAddress(QHostAddress::LocalHost);
    } else if (host.startsWith(u'[') && host.endsWith(u']')) {
        if (!parsed.setAddress(host.mid(1, host.size() - 2)) || parsed.protocol() != QAbstractSocket::IPv6Protocol)
            parsed.clear();
    } else if (const std::optional<quint32> v4 = DottedDecimal(host)) {
        parsed = QHostAddress(*v4);
    }
    if (parsed.isNull()) {
        if (error)
            *error = u"--metrics %1: %2 is not an IP address"_s.arg(text, host);
        return false;
    }
    *address = parsed;
    *port = quint16(number);
    return true;
}

QByteArray MetricsServer::answer(const QByteArray &head, const std::function<QByteArray()> &body)
{
    const qsizetype end = head.indexOf("\r\n");
    const QList<QByteArray> parts = (end < 0 ? head : head.left(end)).split(' ');
    if (parts.size() != 3 || !parts[2].startsWith("HTTP/1."))
        return plain("400 Bad Request");
    const QByteArray &method = parts[0];
    QByteArray path = parts[1];
    if (const qsizetype q = path.indexOf('?'); q >= 0)
        path.truncate(q);
    if (path != "/metrics")
        return plain("404 Not Found");
    if (method != "GET" && method != "HEAD")
        return plain("405 Method Not Allowed", "Allow: GET, HEAD\r\n");
    return response("200 OK", SiteMetrics::kContentType, body ? body() : QByteArray(), {}, method == "GET");
}

void MetricsServer::accept()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        if (m_clients >= kMaxClients) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        serve(socket);
    }
}

void MetricsServer::serve(QTcpSocket *socket)
{
    ++m_clients;
    // Qt's socket would otherwise take in all a client sends before it is looked at.
    socket->setReadBufferSize(kMaxRequestBytes + 1);
    auto *idle = new QTimer(socket);
    idle->setSingleShot(true);
    connect(idle, &QTimer::timeout, socket, [socket] { socket->abort(); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        --m_clients;
        socket->deleteLater();
    });
    auto head = std::make_shared<QByteArray>();
    auto answered = std::make_shared<bool>(false);
    connect(socket, &QTcpSocket::readyRead, socket, [this, socket, head, answered, idle] {
        if (*answered) {
            socket->readAll(); // nothing more is read from a client that was answered
            return;
        }
        head->append(socket->read(kMaxRequestBytes + 1 - head->size()));
        if (head->size() > kMaxRequestBytes) {
            *answered = true;
            socket->write(plain("431 Request Header Fields Too Large"));
            socket->disconnectFromHost();
            return;
        }
        const qsizetype end = head->indexOf("\r\n\r\n");
        if (end < 0)
            return;
        *answered = true;
        socket->write(answer(head->left(end + 2), m_body));
        socket->disconnectFromHost();
        idle->start(m_idleMs); // a client that does not take the answer is closed as well
    });
    idle->start(m_idleMs);
}
