#include "protocol/datagram.h"

namespace Zora {

namespace {

// The receive buffer as the endpoint fills it: the datagram, cut at 1024 bytes, and
// zeros after it.
class Buffer
{
public:
    explicit Buffer(QByteArrayView datagram)
        : m_data(datagram.first(qMin<qsizetype>(datagram.size(), kReceiveBuffer)))
    {
    }
    bool within(qsizetype pos, qsizetype count) const
    {
        return pos >= 0 && count >= 0 && pos + count <= kReceiveBuffer;
    }
    quint8 at(qsizetype pos) const
    {
        return pos < m_data.size() ? quint8(m_data[pos]) : 0;
    }
    QByteArray bytes(qsizetype pos, qsizetype count) const
    {
        QByteArray out(count, '\0');
        for (qsizetype i = 0; i < count; ++i)
            out[i] = char(at(pos + i));
        return out;
    }
    // A length-prefixed string at pos; nothing when it would cross the buffer.
    std::optional<QByteArray> string(qsizetype pos) const
    {
        if (!within(pos, 1))
            return std::nullopt;
        const qsizetype n = at(pos);
        if (!within(pos + 1, n))
            return std::nullopt;
        return bytes(pos + 1, n);
    }

private:
    QByteArrayView m_data;
};

} // namespace

QString WireText(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes.data(), bytes.size());
}

std::optional<QByteArray> ToWire(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() > 0xFF)
            return std::nullopt;
    }
    return text.toLatin1();
}

QString MacText(QByteArrayView six)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    QString out(17, QLatin1Char(':'));
    QChar *p = out.data();
    for (qsizetype i = 0; i < 6; ++i) {
        const quint8 b = i < six.size() ? quint8(six[i]) : 0;
        p[i * 3] = QLatin1Char(hex[b >> 4]);
        p[i * 3 + 1] = QLatin1Char(hex[b & 15]);
    }
    return out;
}

std::optional<std::array<quint8, 6>> ParseMac(const QString &text)
{
    QString t = text.trimmed();
    t.remove(QLatin1Char(':')).remove(QLatin1Char('-'));
    if (t.size() != 12)
        return std::nullopt;
    // Hex digits only: toUInt alone would take "+E", " E" or "E\0" for a pair.
    for (const QChar c : t) {
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F')))
            return std::nullopt;
    }
    std::array<quint8, 6> mac{};
    for (int i = 0; i < 6; ++i) {
        bool ok = false;
        mac[i] = quint8(t.mid(i * 2, 2).toUInt(&ok, 16));
        if (!ok)
            return std::nullopt;
    }
    return mac;
}

QString NormalMacText(const QString &text)
{
    const auto mac = ParseMac(text);
    if (!mac)
        return {};
    return MacText(QByteArrayView(reinterpret_cast<const char *>(mac->data()), 6));
}

quint16 ReadLe16(QByteArrayView d, qsizetype o)
{
    return quint16(quint8(d[o]) | (quint8(d[o + 1]) << 8));
}

quint32 ReadLe32(QByteArrayView d, qsizetype o)
{
    return quint32(quint8(d[o])) | (quint32(quint8(d[o + 1])) << 8)
         | (quint32(quint8(d[o + 2])) << 16) | (quint32(quint8(d[o + 3])) << 24);
}

void PutLe16(QByteArray &d, qsizetype o, quint16 v)
{
    d[o] = char(v & 0xFF);
    d[o + 1] = char(v >> 8);
}

void PutLe32(QByteArray &d, qsizetype o, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        d[o + i] = char((v >> (8 * i)) & 0xFF);
}

QByteArray BuildDiscoveryRequest(quint8 modelFilter, bool toOneHost)
{
    QByteArray d(9, '\0');
    d.replace(0, 4, kRequestMagic.toByteArray());
    d[4] = char(kVersion);
    PutLe16(d, 5, 9);
    d[7] = char(toOneHost ? (CmdDiscovery | RemoteFlag) : CmdDiscovery);
    d[8] = char(modelFilter);
    return d;
}

QString PppoeSettings::dnsText() const
{
    return QStringLiteral("%1.%2.%3.%4").arg(dns[0]).arg(dns[1]).arg(dns[2]).arg(dns[3]);
}

std::optional<PppoeSettings> PppoeSettings::decode(QByteArrayView block)
{
    PppoeSettings s;
    qsizetype p = 0;
    QByteArray *fields[] = {&s.user, &s.password, &s.service};
    for (QByteArray *f : fields) {
        if (p >= block.size())
            return std::nullopt;
        const qsizetype n = quint8(block[p]);
        if (p + 1 + n > block.size())
            return std::nullopt;
        *f = block.sliced(p + 1, n).toByteArray();
        p += 1 + n;
    }
    if (p + 9 > block.size())
        return std::nullopt;
    s.mtu = ReadLe32(block, p);
    s.dnsMode = quint8(block[p + 4]);
    for (int i = 0; i < 4; ++i)
        s.dns[i] = quint8(block[p + 5 + i]);
    return s;
}

std::optional<DiscoveryReply> DiscoveryReply::parse(QByteArrayView datagram)
{
    if (datagram.size() < kHeaderSize || !datagram.startsWith(kReplyMagic))
        return std::nullopt;
    const Buffer buf(datagram);
    DiscoveryReply r;
    r.header = buf.bytes(0, kHeaderSize);
    const quint8 flags = r.flags();

    qsizetype p = 17;
    auto model = buf.string(p);
    if (!model)
        return r;
    r.modelName = *model;
    p += 1 + model->size();

    auto host = buf.string(p);
    if (!host)
        return r;
    r.hostName = *host;
    p += 1 + host->size();

    if (flags & FlagDomain) {
        auto domain = buf.string(p);
        if (!domain)
            return r;
        r.domainName = *domain;
        p += 1 + domain->size();
    }
    if (flags & FlagAddress) {
        // The record always copies 16 bytes; the fourth word is the DNS server only when
        // the camera says so, and otherwise whatever followed.
        if (buf.within(p, 16)) {
            std::array<quint8, 16> block{};
            for (int i = 0; i < 16; ++i)
                block[i] = buf.at(p + i);
            r.addressBlock = block;
        }
        p += (flags & FlagDns) ? 16 : 12;
        if (!buf.within(p, 0))
            return r;
    }
    if (flags & FlagPppoe) {
        qsizetype q = p;
        for (int i = 0; i < 3; ++i) {
            if (!buf.within(q, 1))
                return r;
            q += 1 + buf.at(q);
        }
        q += 9;
        if (!buf.within(p, q - p))
            return r;
        r.pppoeBlock = buf.bytes(p, q - p);
        p = q;
    }
    if (flags & FlagGuest) {
        if (!buf.within(p, 1))
            return r;
        r.guest = buf.at(p);
        p += 1;
    }
    if (r.version() >= 2) {
        const qsizetype end = qMin<qsizetype>(r.length(), kReceiveBuffer);
        while (p < end && buf.within(p, 2)) {
            const quint8 tag = buf.at(p);
            const quint8 len = buf.at(p + 1);
            if (len > 0 && buf.within(p + 2, 1)) {
                const quint8 value = buf.at(p + 2);
                switch (tag) {
                case 1: r.spareTag = value; break;
                case 2: r.audioAvailable = value; break;
                case 3: r.mdSensitivity = value; break;
                case 4: r.doSource = value; break;
                default: break;
                }
            }
            p += 2 + len;
        }
    }
    return r;
}

} // namespace Zora
