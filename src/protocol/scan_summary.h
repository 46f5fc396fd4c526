#pragma once

#include <QHash>
#include <QString>

// What the window's status bar says about the last scan: how many cameras answered it
// within its reply window, and on how many adapters. Driven by the 500 ms clock.
class ScanSummary final
{
public:
    static constexpr int kReplyWindowTicks = 6; // 3 s

    // The user scanned (at the time given, shown as hh:mm): counting starts again.
    void started(const QString &when = {});
    // A camera answered (counted while the reply window is open).
    void answered(const QString &mac, int adapterIndex);
    // One clock tick; true when the text changed since the last tick.
    bool tick();
    // True once, at the tick that closed the reply window.
    bool justClosed() const { return m_justClosed; }
    bool answeredScan(const QString &mac) const;
    // "no answer to the scan at 14:02"
    QString silenceText() const { return QStringLiteral("no answer to the scan at %1").arg(m_when); }
    bool listening() const { return m_ticksLeft > 0; }
    int cameras() const { return int(m_adapterOf.size() + m_otherAdapterOf.size()); }
    int adapters() const;
    // "12 cameras answered on 2 adapters"; empty before the first scan.
    QString text() const;

private:
    // By the MAC's 48 bits when it is written as the list writes MACs, so a scan of tens
    // of thousands of cameras keeps no key strings; any other text by itself.
    QHash<quint64, int> m_adapterOf;
    QHash<QString, int> m_otherAdapterOf;
    int m_ticksLeft = 0;
    bool m_scanned = false;
    bool m_justClosed = false;
    QString m_when;
    QString m_shown;
};
