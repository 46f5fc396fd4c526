#include "site/camera_record_format.h"

#include "site/report_text.h"

#include "protocol/config_item.h"
#include "protocol/datagram.h"

#include <QJsonValue>

using namespace Qt::StringLiterals;

namespace {

// The CSV columns follow the JSON keys, nested objects flattened with their prefix.
QStringList csvColumns(bool showSecrets)
{
    QStringList c = {u"model_code"_s, u"model_name"_s, u"mac"_s, u"ip"_s, u"host_name"_s, u"domain_name"_s,
                     u"network_type"_s, u"flags"_s, u"address_ip"_s, u"address_mask"_s, u"address_gateway"_s,
                     u"address_dns"_s, u"pppoe_user"_s, u"pppoe_service"_s, u"pppoe_mtu"_s,
                     u"pppoe_dns_mode"_s, u"pppoe_dns"_s};
    if (showSecrets)
        c << u"pppoe_password"_s;
    c << u"guest"_s << u"audio"_s << u"motion_sensitivity"_s << u"output_source"_s << u"connection_kind"_s;
    return c;
}

QString jsonText(const QJsonValue &v)
{
    switch (v.type()) {
    case QJsonValue::Bool:
        return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Double:
        return QString::number(v.toInteger());
    case QJsonValue::String:
        return v.toString();
    default:
        return {};
    }
}

} // namespace

const QStringList &CameraRecordFormat::outputSourceNames()
{
    static const QStringList names = {u"none"_s, u"motion"_s, u"input"_s, u"all"_s};
    return names;
}

std::optional<int> CameraRecordFormat::outputSourceIndex(const QString &name)
{
    const qsizetype i = outputSourceNames().indexOf(name.trimmed().toLower());
    if (i < 0)
        return std::nullopt;
    return int(i);
}

QString CameraRecordFormat::outputSourceName(int index)
{
    if (index >= 0 && index < outputSourceNames().size())
        return outputSourceNames().at(index);
    // A source this tool has no name for is shown by its number.
    return QString::number(index);
}

QString CameraRecordFormat::networkTypeName(quint8 networkTypeByte)
{
    switch (networkTypeByte & 0x7F) {
    case Zora::NetDhcp:
        return QStringLiteral("dhcp");
    case Zora::NetStatic:
        return QStringLiteral("static");
    case Zora::NetPppoe:
        return QStringLiteral("pppoe");
    default:
        return QStringLiteral("none");
    }
}

QString CameraRecordFormat::textLine(const TConfigItem &camera)
{
    return QStringList{ReportText::escaped(camera.modelNameText()), camera.macText(), camera.Address,
                       ReportText::escaped(camera.hostNameText())}
        .join(QLatin1Char('\t'));
}

QJsonObject CameraRecordFormat::toJson(const TConfigItem &camera, bool showSecrets)
{
    QJsonObject o;
    o[u"model_code"_s] = camera.modelCode();
    o[u"model_name"_s] = camera.modelNameText();
    o[u"mac"_s] = camera.macText();
    o[u"ip"_s] = camera.Address;
    o[u"host_name"_s] = camera.hostNameText();
    // An announced domain may be empty; null means the camera has no domain field.
    o[u"domain_name"_s] = (camera.flags() & Zora::FlagDomain) ? QJsonValue(camera.domainNameText())
                                                              : QJsonValue();
    o[u"network_type"_s] = networkTypeName(camera.networkTypeByte());
    o[u"flags"_s] = camera.flags();
    if (camera.AddressBlock) {
        QJsonObject a;
        a[u"ip"_s] = camera.addressWord(0);
        a[u"mask"_s] = camera.addressWord(1);
        a[u"gateway"_s] = camera.addressWord(2);
        // The fourth word is the camera's only when it said it sends one.
        a[u"dns"_s] = (camera.flags() & Zora::FlagDns) ? QJsonValue(camera.addressWord(3))
                                                    : QJsonValue();
        o[u"address"_s] = a;
    } else {
        o[u"address"_s] = QJsonValue();
    }
    if (const auto p = camera.pppoe()) {
        QJsonObject b;
        b[u"user"_s] = Zora::WireText(p->user);
        b[u"service"_s] = Zora::WireText(p->service);
        b[u"mtu"_s] = qint64(p->mtu);
        b[u"dns_mode"_s] = p->manualDns() ? QStringLiteral("manual") : QStringLiteral("auto");
        b[u"dns"_s] = p->dnsText();
        if (showSecrets)
            b[u"password"_s] = Zora::WireText(p->password);
        o[u"pppoe"_s] = b;
    } else {
        o[u"pppoe"_s] = QJsonValue();
    }
    o[u"guest"_s] = (camera.flags() & Zora::FlagGuest) ? QJsonValue(camera.UseAccount) : QJsonValue();
    // A tag the reply did not carry is unknown, not off.
    o[u"audio"_s] = camera.announced(2) ? QJsonValue(camera.AudioAvailable != 0) : QJsonValue();
    o[u"motion_sensitivity"_s] = camera.announced(3) ? QJsonValue(camera.MdSensitivity) : QJsonValue();
    o[u"output_source"_s] = camera.announced(4) ? QJsonValue(outputSourceName(camera.DoSource))
                                                : QJsonValue();
    o[u"connection_kind"_s] = camera.ConnectionKind == Connection::Remote ? QStringLiteral("remote")
                                                                         : QStringLiteral("local");
    return o;
}

QString CameraRecordFormat::csvHeader(bool showSecrets)
{
    return csvColumns(showSecrets).join(QLatin1Char(','));
}

QString CameraRecordFormat::csvField(const QString &text)
{
    // Line breaks stay (quoted, as RFC 4180 has them); every other control character is
    // written \xNN, so none reaches a terminal or cuts a record. A backslash stays as it
    // is: CSV readers take a field's text as it stands.
    QString t;
    t.reserve(text.size());
    for (QChar c : text) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\\'))
            t += c;
        else
            t += ReportText::escaped(QString(c));
    }
    static const QString special = QStringLiteral(",\"\r\n");
    bool quote = false;
    for (QChar c : t)
        quote = quote || special.contains(c);
    if (!quote)
        return t;
    t.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + t + QLatin1Char('"');
}

QString CameraRecordFormat::csvLine(const TConfigItem &camera, bool showSecrets)
{
    const QJsonObject o = toJson(camera, showSecrets);
    QStringList fields;
    for (const QString &column : csvColumns(showSecrets)) {
        QJsonValue v;
        if (column.startsWith(QLatin1String("address_")))
            v = o[u"address"_s].toObject().value(column.mid(8));
        else if (column.startsWith(QLatin1String("pppoe_")))
            v = o[u"pppoe"_s].toObject().value(column.mid(6));
        else
            v = o.value(column);
        fields << csvField(jsonText(v));
    }
    return fields.join(QLatin1Char(','));
}
