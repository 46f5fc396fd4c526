#pragma once

#include <QString>

class SiteWatch;

// The known site of a watch on disk: written whole into a new file that then replaces
// the old one, so that a crash or a full disk leaves the last good state, never half of
// one.
class SiteStateFile final
{
public:
    // A state file larger than this is not one of ours.
    static constexpr qint64 kMaxBytes = 64 * 1024 * 1024;

    // False with the reason; a missing file is no error (a first start).
    static bool read(const QString &path, SiteWatch &watch, QString *error);
    static bool write(const QString &path, const SiteWatch &watch, QString *error);
};
