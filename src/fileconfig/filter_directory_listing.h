#pragma once

#include <QStringList>

// A name listing without the "." and ".." entries some servers add.
QStringList FilterDirectoryListing(const QStringList &listing);
