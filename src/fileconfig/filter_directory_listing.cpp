#include "fileconfig/filter_directory_listing.h"

QStringList FilterDirectoryListing(const QStringList &listing)
{
    QStringList kept;
    kept.reserve(listing.size());
    for (const QString &name : listing) {
        if (name.compare(QLatin1String("."), Qt::CaseInsensitive) == 0
            || name.compare(QLatin1String(".."), Qt::CaseInsensitive) == 0)
            continue;
        kept.append(name);
    }
    return kept;
}
