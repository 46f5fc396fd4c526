#pragma once

#include "site/batch_runner.h"

#include <QByteArray>
#include <QList>

// A run's results as files a script reads: one object (or CSV line) a camera with its
// MAC, result, address, message and outcome code, as zoractl's --json prints them.
namespace ResultExport {

QByteArray json(const QList<BatchResult> &results);
// A header line, then one line a camera; fields quoted where they need it.
QByteArray csv(const QList<BatchResult> &results);

} // namespace ResultExport
