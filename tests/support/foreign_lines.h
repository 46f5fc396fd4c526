#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>

// Camera files as sites have them (lines no page reads, comments, CR LF, a last line
// without a line end), each with one field to change and the one line that change may
// touch. The same rows drive the page writers, `zoractl config set` and the window's Save.
struct ForeignLinesCase {
    QString name;
    QString localName;  // "title.js"
    QString cameraPath; // "etc/html/title.js"
    QByteArray before;
    QString field;      // "web.title"
    QString value;
    QString control;    // the window's control that takes the value
    QByteArray after;
};

Q_DECLARE_METATYPE(ForeignLinesCase)

QList<ForeignLinesCase> ForeignLinesCases();
