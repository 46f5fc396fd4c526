#include "zoractl/firmware_in_flight.h"

#include "zoractl/console.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

constexpr int kBarWidth = 20;

} // namespace

void FirmwareInFlight::phase(const QString &mac, const QString &text)
{
    Line &l = m_lines[mac];
    l.phase = text;
    draw(true);
}

void FirmwareInFlight::bytes(const QString &mac, qint64 done, qint64 total)
{
    Line &l = m_lines[mac];
    if (!l.since.isValid())
        l.since.start();
    l.done = done;
    l.total = total;
    draw(done == total);
}

void FirmwareInFlight::remove(const QString &mac)
{
    m_lines.erase(mac);
    draw(true);
}

void FirmwareInFlight::setCounts(int done, int all)
{
    m_done = done;
    m_all = all;
    draw(true);
}

void FirmwareInFlight::draw(bool now)
{
    if (!m_console.terminal() || (!now && m_drawn.isValid() && m_drawn.elapsed() < 100))
        return;
    m_drawn.start();
    QStringList lines{u"firmware: %1 of %2 cameras done, %3 in flight"_s.arg(m_done).arg(m_all).arg(m_lines.size())};
    for (const auto &[mac, l] : m_lines) {
        QString text = u"  %1  %2"_s.arg(mac, l.phase);
        if (l.phase == u"uploading"_s && l.total > 0) {
            const int filled = int(kBarWidth * l.done / l.total);
            const double seconds = qMax<qint64>(1, l.since.elapsed()) / 1000.0;
            text += u" [%1%2] %3% %4 MB/s"_s.arg(QString(filled, u'#'), QString(kBarWidth - filled, u'-'))
                        .arg(100 * l.done / l.total)
                        .arg(l.done / seconds / 1e6, 0, 'f', 1);
        }
        lines << text;
    }
    m_console.status(lines.join(u'\n'));
}
