#pragma once

#include "site/batch_runner.h"

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QString>

// A run's results as files a script reads: one object (or CSV line) a camera with its
// MAC, result, address, message, outcome code and whether anything was sent to it, as
// zoractl's --json prints them.
namespace ResultExport {

// Each camera's object takes the keys of its entry in extra as well.
QByteArray json(const QList<BatchResult> &results, const QHash<QString, QJsonObject> &extra = {});
// A header line, then one line a camera; fields quoted where they need it.
QByteArray csv(const QList<BatchResult> &results);

} // namespace ResultExport
