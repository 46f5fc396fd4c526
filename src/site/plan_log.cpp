#include "site/plan_log.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

PlanLog::PlanLog(const QString &path)
    : m_file(path)
{
}

bool PlanLog::open(QString *error)
{
    const bool existed = m_file.exists();
    // Unbuffered: each line goes out in one write, not when a buffer fills.
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered)) {
        if (error)
            *error = u"cannot write %1: %2"_s.arg(m_file.fileName(), m_file.errorString());
        return false;
    }
    if (!existed) {
        const QByteArray folder = QFile::encodeName(QFileInfo(m_file).absolutePath());
        const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
    }
    // A run that was cut off mid-line leaves a torn last line: end it, so that the next
    // record starts on a line of its own.
    const qint64 size = m_file.size();
    if (size > 0 && m_file.seek(size - 1)) {
        char last = 0;
        if (m_file.getChar(&last) && last != '\n' && m_file.write("\n", 1) != 1) {
            if (error)
                *error = u"cannot write %1: %2"_s.arg(m_file.fileName(), m_file.errorString());
            return false;
        }
    }
    return true;
}

bool PlanLog::append(const QString &mac, const QString &step, const QString &result,
                     const QString &address, const QString &message, const QJsonObject &extra,
                     Durability durability)
{
    QJsonObject o{{u"time"_s, QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs)},
                  {u"mac"_s, mac},
                  {u"step"_s, step},
                  {u"result"_s, result},
                  {u"address"_s, address},
                  {u"message"_s, message}};
    for (auto it = extra.begin(); it != extra.end(); ++it)
        o.insert(it.key(), it.value());
    const QByteArray line = QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
    if (!m_file.isOpen() || m_file.write(line) != line.size() || !m_file.flush())
        return false;
    return durability == Durability::Written || ::fsync(m_file.handle()) == 0;
}

QString PlanLog::key(const QString &mac, const QString &step)
{
    return mac.toUpper() + u'/' + step;
}

QList<QJsonObject> PlanLog::records(const QString &path, QString *error)
{
    QList<QJsonObject> out;
    QFile file(path);
    if (!file.exists())
        return out;
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = u"cannot read %1: %2"_s.arg(path, file.errorString());
        return out;
    }
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        QJsonParseError parsed;
        const QJsonDocument doc = QJsonDocument::fromJson(line, &parsed);
        if (parsed.error == QJsonParseError::NoError && doc.isObject())
            out << doc.object();
    }
    return out;
}

QSet<QString> PlanLog::doneSteps(const QString &path, QString *error)
{
    QSet<QString> done;
    for (const QJsonObject &o : records(path, error)) {
        const QJsonValue mac = o.value(u"mac"_s), step = o.value(u"step"_s);
        const QString result = o.value(u"result"_s).toString();
        if (!mac.isString() || !step.isString() || (result != u"done"_s && result != u"sent"_s))
            continue;
        done.insert(key(mac.toString(), step.toString()));
    }
    return done;
}
