#pragma once

#include "protoconfig/credentials.h"
#include "site/camera_list_format.h"
#include "zoractl/arguments.h"

#include <QString>
#include <QStringList>

#include <optional>

struct AppOptions;
struct CommandContext;

// The values several zoractl commands read from their arguments in the same way, each
// checked, with the message for a bad one.
class OptionValues final
{
public:
    // --json or --csv, text without either.
    static std::optional<CameraListFormat::Kind> formatOf(const Arguments &p, QString *error);
    // --timeout S as milliseconds (3000 without it).
    static std::optional<int> timeoutMs(const Arguments &p, QString *error);
    // --parallel N (8 without it), 1..256.
    static std::optional<int> parallel(const Arguments &p, QString *error);
    // A number of cameras given with option, least..256 (fallback without it).
    static std::optional<int> count(const Arguments &p, const QString &option, int fallback, int least,
                                    QString *error);
    // --port N, or the camera port of the options.
    static std::optional<QString> portText(const Arguments &p, const AppOptions &options, QString *error);
    // MACs of --cameras FILE: the first word of each line; blank lines and '#' comments
    // are skipped.
    static std::optional<QStringList> macsOfFile(const QString &path, QString *error);
    // The PAGE.FIELD=VALUE lines of a file (blank lines and lines starting with '#'
    // skipped, a CR before the line feed dropped): values, passwords among them, that
    // should not be arguments other users can see.
    static std::optional<QStringList> assignmentsOfFile(const QString &path, QString *error);
    // --user with --password-file, $ZORA_PASSWORD or a typed password.
    static std::optional<LoginEntry> credentials(const Arguments &p, const CommandContext &context,
                                                 QString *error);
    // Four decimal numbers 0..255 with dots between and nothing else (DottedDecimal).
    static bool isDottedIPv4(const QString &text);
    // What is wrong with the camera's address typed for what (--remote, HOST): empty, or
    // digits and dots that are not four decimal numbers; empty when there is an address
    // or name to look up.
    static QString hostProblem(const QString &what, const QString &host);
};
