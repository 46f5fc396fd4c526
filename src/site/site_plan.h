#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// A site's network plan: a CSV file in which an installer gives many cameras their
// network settings by MAC address, one camera a row. A header line names the columns
// (any order, any case); empty cells keep the camera's value. Reading checks every cell
// and collects every fault with its line, so one run shows all that needs fixing.
class SitePlan final
{
public:
    struct Entry {
        int line = 0;                           // 1-based line of the row in the file
        QString mac;                            // "00:0A:1B:2C:3D:4E"
        std::optional<QString> ip, mask, gateway, dns;
        std::optional<QString> host, domain;
        std::optional<QString> network;         // "static" or "dhcp"
        std::optional<QString> passwordFile;
    };

    // The plan, or nothing with every fault in errors ("plan.csv:7: ...").
    static std::optional<SitePlan> read(const QString &path, QStringList *errors);
    static std::optional<SitePlan> parse(const QByteArray &text, const QString &fileName,
                                         QStringList *errors);

    const QList<Entry> &entries() const { return m_entries; }
    // The first row naming mac (any case, ':' or '-').
    std::optional<Entry> entryFor(const QString &mac) const;

    // The column names a header may use.
    static const QStringList &columns();
    // "00:0A:1B:2C:3D:4E" from six pairs of hex digits separated by ':' or '-', or
    // empty when text is not a MAC.
    static QString normalMac(const QString &text);
    // A dotted IPv4 address, strictly: four decimal numbers 0..255 without leading
    // zeros, and nothing else.
    static std::optional<quint32> ipv4(const QString &text);
    static QString ipv4Text(quint32 address);
    // A netmask: ones then zeros, at least one one.
    static bool isNetmask(quint32 mask);

private:
    QList<Entry> m_entries;
};
