#include "site/site_event.h"

#include "site/report_text.h"

#include <QJsonArray>
#include <QJsonDocument>

using namespace Qt::StringLiterals;

QString SiteEvent::kindName(Kind kind)
{
    switch (kind) {
    case Kind::Appeared: return u"appeared"_s;
    case Kind::Gone: return u"gone"_s;
    case Kind::Back: return u"back"_s;
    case Kind::AddressChanged: return u"address_changed"_s;
    case Kind::HostChanged: return u"host_changed"_s;
    case Kind::ModelChanged: return u"model_changed"_s;
    case Kind::Conflict: return u"conflict"_s;
    case Kind::ConflictCleared: return u"conflict_cleared"_s;
    }
    return {};
}

QString SiteEvent::timeText(const QDateTime &time)
{
    return time.toUTC().toString(Qt::ISODate);
}

QJsonObject SiteEvent::toJson() const
{
    QJsonObject o{{u"event"_s, kindName(kind)}, {u"time"_s, timeText(time)}, {u"mac"_s, mac},
                  {u"address"_s, address}, {u"host"_s, host}, {u"model"_s, model},
                  {u"adapter"_s, adapter.isEmpty() ? QJsonValue() : QJsonValue(adapter)}};
    if (kind == Kind::AddressChanged || kind == Kind::HostChanged || kind == Kind::ModelChanged)
        o[u"previous"_s] = previous;
    if (kind == Kind::Conflict || kind == Kind::ConflictCleared) {
        o[u"conflict"_s] = conflict;
        o[u"with"_s] = QJsonArray::fromStringList(with);
    }
    return o;
}

QByteArray SiteEvent::jsonLine() const
{
    return QJsonDocument(toJson()).toJson(QJsonDocument::Compact) + '\n';
}

QString SiteEvent::summary() const
{
    switch (kind) {
    case Kind::Appeared: return u"appeared"_s;
    case Kind::Gone: return u"gone: no answer to the presence poll"_s;
    case Kind::Back: return u"back"_s;
    case Kind::AddressChanged: return u"address changed from %1"_s.arg(previous);
    case Kind::HostChanged: return u"host name changed from \"%1\""_s.arg(ReportText::escaped(previous));
    case Kind::ModelChanged: return u"model changed from %1"_s.arg(ReportText::escaped(previous));
    case Kind::Conflict:
    case Kind::ConflictCleared: {
        QString what = conflict == u"shared_address"_s ? u"address shared with %1"_s.arg(with.join(u", "_s))
                       : conflict == u"own_address"_s  ? u"answers from an address of this computer"_s
                                                       : u"answers from %1"_s.arg(with.join(u" and "_s));
        return kind == Kind::Conflict ? u"conflict: "_s + what : u"conflict cleared: "_s + what;
    }
    }
    return {};
}

QString SiteEvent::textLine() const
{
    const QString camera = u"%1 %2 host \"%3\" model \"%4\"%5"_s.arg(
        mac, address, ReportText::escaped(host), ReportText::escaped(model),
        adapter.isEmpty() ? QString() : u" on "_s + ReportText::escaped(adapter));
    // Coming, going and coming back say all in their name; the rest say what changed.
    const bool plain = kind == Kind::Appeared || kind == Kind::Gone || kind == Kind::Back;
    return u"%1 %2 %3%4"_s.arg(timeText(time), kindName(kind), camera, plain ? QString() : u": "_s + summary());
}
