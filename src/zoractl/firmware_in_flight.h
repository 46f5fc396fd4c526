#pragma once

#include <QElapsedTimer>
#include <QString>

#include <map>

class Console;

// The cameras of a rollout in flight as the terminal shows them: a line each with what it
// waits for and, while the image goes out, a bar and the rate.
class FirmwareInFlight final
{
public:
    explicit FirmwareInFlight(Console &console) : m_console(console) {}

    void phase(const QString &mac, const QString &text);
    void bytes(const QString &mac, qint64 done, qint64 total);
    void remove(const QString &mac);
    void setCounts(int done, int all);

private:
    struct Line {
        QString phase;
        qint64 done = 0;
        qint64 total = 0;
        QElapsedTimer since;
    };

    void draw(bool now);

    Console &m_console;
    std::map<QString, Line> m_lines;
    QElapsedTimer m_drawn;
    int m_done = 0;
    int m_all = 0;
};
