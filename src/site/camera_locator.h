#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

class CameraNetwork;

// Finding cameras for a script: one broadcast scan that waits a while for the answers
// (or only until the cameras looked for have answered), and registration of one camera
// by its address, which lists it as remote. Both run a local event loop.
class CameraLocator final
{
public:
    // How long a scan still listens after the last camera looked for answered: as long
    // again as that answer took, within these bounds. A second device answering with
    // one of their MACs got the same request and answers about as fast; a fixed quarter
    // second was most of a short script's time on a fast network.
    static constexpr int kAnswerGraceMs = 250;
    static constexpr int kMinAnswerGraceMs = 30;
    static int answerGraceMs(qint64 answeredAfterMs);

    explicit CameraLocator(CameraNetwork &network);

    // Trouble on this computer that would make every send fail: the local port taken, or
    // a broadcast address the loopback guard refuses. Empty when there is none.
    static QString localTrouble(CameraNetwork &network);

    // One broadcast discovery request, then waits timeoutMs, or less when every MAC of
    // wanted (MAC text) has answered (and kAnswerGraceMs more). With resendMs the request goes again that often
    // while a wanted camera is missing (one busy restarting misses a single request).
    // False with the send error.
    bool scan(int timeoutMs, const QStringList &wanted = {}, QString *error = nullptr,
              int resendMs = 0);

    // What a scan in rounds found: for each adapter (by name; "" when the system did not
    // say), how many cameras each round added.
    struct Coverage {
        QMap<QString, QList<int>> added;
        int rounds = 0;
    };
    // rounds broadcast requests intervalMs apart (those that fit into timeoutMs), then
    // listens until timeoutMs. A camera that missed one request answers the next. False
    // with the send error of the first request.
    bool survey(int timeoutMs, int rounds, int intervalMs, Coverage *coverage, QString *error = nullptr);

    // The unicast discovery of the registration: requests at 0, 3, 9 and 15 s until the
    // camera at host answers. The record index of the camera, or -1 with the message
    // ("Camera does NOT response..." when it never answered). intervalMs 0 keeps 3000.
    int registerCamera(const QString &host, const QString &portText, QString *message,
                       int intervalMs = 0);

private:
    CameraNetwork &m_network;
};
