#pragma once

#include "fileconfig/config_error.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The Web Server page: the port in thttpd.conf and the page title in html/title.js
// (kept locally as title.js). A save edits the lines of the fields it changes.
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
    // The file with the lines of the fields that changed from `before` to `after`, every
    // other byte kept; nothing when a value cannot be stored.
    static std::optional<QByteArray> editServer(const QByteArray &contents,
                                                const WebServerSettings &before,
                                                const WebServerSettings &after);
    static std::optional<QByteArray> editTitle(const QByteArray &contents,
                                               const WebServerSettings &before,
                                               const WebServerSettings &after);
};
