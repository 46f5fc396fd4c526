#pragma once

#include <QFile>
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

    // Opens the log for appending, creating it when needed.
    bool open(QString *error);
    // One line: {"time","mac","step","result","address","message"}. False when the line
    // could not be written out.
    bool append(const QString &mac, const QString &step, const QString &result,
                const QString &address, const QString &message);

    // The key() of every step a log at path records as "sent" or "done". A file that is
    // not there is an empty log; lines that are not such records are passed over. Empty
    // with error set when the file is there but cannot be read.
    static QSet<QString> doneSteps(const QString &path, QString *error);
    // "00:0A:1B:2C:3D:4E/network"
    static QString key(const QString &mac, const QString &step);

private:
    QFile m_file;
};
