#pragma once

#include <QByteArray>
#include <QString>

class SiteWatch;

// What a watch knows, in the Prometheus text exposition format (version 0.0.4): a
// sample a camera for its presence, last answer and each address conflict, and the
// watch's own counters.
class SiteMetrics final
{
public:
    static constexpr const char *kContentType = "text/plain; version=0.0.4; charset=utf-8";

    static QByteArray text(const SiteWatch &watch);
    // A label value between its quotes: backslash, double quote and line feed escaped,
    // as the format asks; any other character stands as it is (UTF-8).
    static QByteArray labelValue(const QString &value);
};
