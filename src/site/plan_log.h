#pragma once

#include <QFile>
#include <QJsonObject>
#include <QList>
#include <QSet>
#include <QString>

// The record of a plan being applied, so that a run cut short can be resumed: one JSON
// object a line per camera and step, written out as soon as it is known, so that every
// line but perhaps a last torn one is whole. A step the camera accepted ("sent" or
// "done") is never sent again by a resumed run, even when its restart was not followed
// to the end.
class PlanLog final
{
public:
    explicit PlanLog(const QString &path);

    enum class Durability { Written, Synced };

    // Opens the log for appending, creating it when needed (a new log's folder entry is
    // synced too, so that a synced line is not lost with the file's name).
    bool open(QString *error);
    // One line: {"time","mac","step","result","address","message"} and the fields of
    // extra. False when the line could not be written out; with Synced, also when it is
    // not on the disk yet, for a record that must outlive a power cut of this computer.
    bool append(const QString &mac, const QString &step, const QString &result,
                const QString &address, const QString &message, const QJsonObject &extra = {},
                Durability durability = Durability::Written);

    // Every whole record of a log at path, in its order; lines that are not JSON objects
    // are passed over. A file that is not there is an empty log; empty with error set
    // when the file is there but cannot be read.
    static QList<QJsonObject> records(const QString &path, QString *error);

    // The key() of every step a log at path records as "sent" or "done". A file that is
    // not there is an empty log; lines that are not such records are passed over. Empty
    // with error set when the file is there but cannot be read.
    static QSet<QString> doneSteps(const QString &path, QString *error);
    // "00:0A:1B:2C:3D:4E/network"
    static QString key(const QString &mac, const QString &step);

private:
    QFile m_file;
};
