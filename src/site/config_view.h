#pragma once

#include "site/camera_backup.h"

#include <QList>
#include <QString>
#include <QStringList>

// A camera folder's settings as scripts see them: every page's fields as the page
// readers read them (network and host from settings.json, the file pages from their
// files), and what differs between two folders.
class ConfigView final
{
public:
    struct Value {
        QString key;      // "stream.port"
        QString value;
        bool secret = false;
    };
    struct Difference {
        QString key;
        QString before;
        QString after;
        bool secret = false;
        bool inA = true;  // the field is on both sides unless one of these is false
        bool inB = true;
    };
    // A file line that no page reader knows and only one side has.
    struct LineChange {
        QString page;
        QString file;
        QString line;
        bool added = false; // in B only; else in A only
    };

    // The folder's values, page by page (only the given pages when any); false with the
    // reason when a file cannot be read.
    static bool values(const CameraBackup::Folder &folder, const QStringList &pages,
                       QList<Value> *out, QString *error);
    static QList<Difference> differences(const QList<Value> &a, const QList<Value> &b);
    // Lines of the two folders' files that differ once both are written with B's values:
    // what remains are the lines no reader knows. False with the reason on a file that
    // cannot be read or written.
    static bool unknownLines(const CameraBackup::Folder &a, const CameraBackup::Folder &b,
                             QList<LineChange> *out, QString *error);

    // The lines of a that b lacks (as often as they are lacking), then those of b that a
    // lacks, each in its file's order.
    static void lineChanges(const QString &page, const QString &file, const QByteArray &a,
                            const QByteArray &b, QList<LineChange> *out);

    // "stream.port: 554 → 8554"; a secret reads "(changed)".
    static QString text(const Difference &d);
    // A value as printed: a secret reads "(set)" or "(empty)".
    static QString shown(const Value &v);
};
