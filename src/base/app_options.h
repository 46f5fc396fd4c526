#pragma once

#include "base/app_paths.h"

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

// Command-line options shared by the desktop tool and zoractl. The defaults are those of
// a real camera network; the others exist so that tests and demos run on loopback.
struct AppOptions {
    QString appDir;                      // empty: beside the executable
    QHostAddress broadcast{QStringLiteral("255.255.255.255")};
    QString adapter;                     // --adapter: broadcasts through this adapter only
    quint16 cameraPort = 32154;
    quint16 localPort = 32153;
    quint16 ftpPort = 21;
    bool help = false;
    bool version = false;                // --version: print the version and stop

    // Takes the options it knows out of args (which keeps everything else, such as a
    // command name and its own options); false with a message on a bad value.
    // "--name value" and "--name=value" alike; "-h" and "-V" for help and version; "--"
    // ends the options taken here.
    bool take(QStringList &args, QString *error);
    static QString usage();

    // The options above as their help lists them (value empty for a switch): the usage
    // text and zoractl's manual page and completion are made from it.
    struct Shared {
        QString name;
        QString value;
        QString help;       // lines apart by '\n'
    };
    static const QList<Shared> &shared();
    // "zoractl 2.0": the program's name and the project's one version number.
    static QString versionLine(const QString &program);
    // Where the files go: all in appDir when given; else all beside the executable when
    // its directory is writable and not a system program directory (/usr/bin and the
    // like, where an installed copy lives); else the user's XDG directories.
    AppPaths resolvePaths(const QString &executableDir) const;

private:
    bool apply(const QString &name, const QString &value, QString *error);
};
