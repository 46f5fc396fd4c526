#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <functional>

class QTcpServer;
class QTcpSocket;

// The HTTP front of the metrics: GET /metrics and nothing else, one request a
// connection. A request is read up to kMaxRequestBytes (more is refused and the
// connection closed), and a client that has not sent a whole request within the idle
// time is closed, so that neither a flood nor a silent client holds memory or sockets.
class MetricsServer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MetricsServer)

public:
    static constexpr qsizetype kMaxRequestBytes = 8192;
    static constexpr int kIdleMs = 5000;
    static constexpr int kMaxClients = 64;

    // body: the exposition text, asked for at each request.
    MetricsServer(std::function<QByteArray()> body, QObject *parent = nullptr);
    ~MetricsServer() override;

    void setIdleMs(int ms) { m_idleMs = ms; }
    // Listens on address:port (port 0: one the system picks); false with the reason.
    bool listen(const QHostAddress &address, quint16 port, QString *error);
    quint16 port() const;
    int clients() const { return m_clients; }

    // "ADDR:PORT", ":PORT" or "PORT" (the address then 127.0.0.1); false with the reason.
    static bool parseAddress(const QString &text, QHostAddress *address, quint16 *port, QString *error);
    // The answer to one request head (what came before the blank line): status line,
    // headers and, for a GET, the body.
    static QByteArray answer(const QByteArray &head, const std::function<QByteArray()> &body);

private:
    void accept();
    void serve(QTcpSocket *socket);

    std::function<QByteArray()> m_body;
    QTcpServer *m_server = nullptr;
    int m_idleMs = kIdleMs;
    int m_clients = 0;
};
