#include "site/site_state_file.h"

#include "site/site_watch.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>

using namespace Qt::StringLiterals;

bool SiteStateFile::read(const QString &path, SiteWatch &watch, QString *error)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = u"%1: %2"_s.arg(path, why);
        return false;
    };
    const QFileInfo info(path);
    // The name the user gave is read, not where a link planted there points.
    if (info.isSymLink())
        return fail(u"is a symbolic link; not read"_s);
    if (!info.exists())
        return true;
    if (!info.isFile())
        return fail(u"not a file"_s);
    if (info.size() > kMaxBytes)
        return fail(u"larger than %1 MiB; not a watch state"_s.arg(kMaxBytes >> 20));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return fail(f.errorString());
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(f.read(kMaxBytes), &parse);
    if (parse.error != QJsonParseError::NoError || !doc.isObject())
        return fail(u"not JSON (%1)"_s.arg(parse.errorString()));
    QString why;
    if (!watch.restore(doc.object(), &why))
        return fail(why);
    return true;
}

bool SiteStateFile::write(const QString &path, const SiteWatch &watch, QString *error)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        if (error)
            *error = u"%1: %2"_s.arg(path, f.errorString());
        return false;
    }
    f.write(QJsonDocument(watch.state()).toJson(QJsonDocument::Indented));
    if (!f.commit()) {
        if (error)
            *error = u"%1: %2"_s.arg(path, f.errorString());
        return false;
    }
    return true;
}
