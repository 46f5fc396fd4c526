#pragma once

#include "fileconfig/config_error.h"

#include <QByteArray>
#include <QString>

// The Web Server page: the port in thttpd.conf and the page title in html/title.js
// (kept locally as title.js). Both files are copied and edited on save.
struct WebServerSettings {
    QByteArray title;
    QByteArray port;

    bool operator==(const WebServerSettings &) const = default;
};

class WebServerConfig final
{
public:
    static constexpr const char *ServerFile = "thttpd.conf";
    static constexpr const char *TitleFile = "title.js";

    static ConfigError read(const QString &folder, WebServerSettings &settings);
    // thttpd.conf is written before title.js is looked for, so a missing title.js
    // still leaves the new port in thttpd.conf.
    static ConfigError write(const QString &folder, const WebServerSettings &settings);

    static void readText(QByteArrayView server, QByteArrayView title, WebServerSettings &settings);
    static QByteArray editServer(const QByteArray &contents, const WebServerSettings &settings);
    static QByteArray editTitle(const QByteArray &contents, const WebServerSettings &settings);
};
