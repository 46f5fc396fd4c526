#pragma once

#include "zoractl/arguments.h"
#include "protoconfig/credentials.h"
#include "protocol/address_review.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class BatchRunner;
class CameraNetwork;
struct AppOptions;
struct CommandContext;

// What several zoractl commands read from their arguments and print in the same way.
class OptionValues final
{
public:
    enum class Format { Text, Json, Csv };

    static std::optional<Format> formatOf(const Arguments &p, QString *error);
    // --timeout S as milliseconds (3000 without it).
    static std::optional<int> timeoutMs(const Arguments &p, QString *error);
    // --parallel N (8 without it), 1..256.
    static std::optional<int> parallel(const Arguments &p, QString *error);
    // A number of cameras given with option, least..256 (fallback without it).
    static std::optional<int> count(const Arguments &p, const QString &option, int fallback, int least,
                                    QString *error);
    // Ctrl-C, SIGTERM or SIGHUP came during this run.
    static bool interrupted(const CommandContext &context);
    // The exit status of a run those stopped: 128 and the signal's number (130 without
    // one, for a runner stopped otherwise).
    static int stoppedStatus(const CommandContext &context);
    // --port N, or the camera port of the options.
    static std::optional<QString> portText(const Arguments &p, const AppOptions &options,
                                           QString *error);
    // MACs of --cameras FILE: the first word of each line; blank lines and '#' comments
    // are skipped.
    static std::optional<QStringList> macsOfFile(const QString &path, QString *error);
    // --user with --password-file, $ZORA_PASSWORD or a typed password.
    static std::optional<LoginEntry> credentials(const Arguments &p, const CommandContext &context,
                                                 QString *error);
    // Four decimal numbers 0..255 with dots between and nothing else (DottedDecimal).
    static bool isDottedIPv4(const QString &text);
    // What is wrong when the camera's address typed for what (--remote, HOST) is empty,
    // and what is expected; empty when there is an address or name to look up.
    static QString emptyHostText(const QString &what, const QString &host);
    // Trouble on this computer that would make every send fail: the local port taken, or
    // a broadcast address the loopback guard refuses. Empty when there is none.
    static QString localTrouble(CameraNetwork &network);
    // False, with the trouble told on the console, when there is local trouble.
    static bool localReady(CommandContext &context);

    static void printCameras(CommandContext &context, const QList<int> &records, Format format,
                             bool secrets);
    // The cameras of records as zoractl scan --json / --csv prints them.
    static QByteArray camerasJson(CameraNetwork &network, const QList<int> &records, bool secrets);
    static QByteArray camerasCsv(CameraNetwork &network, const QList<int> &records, bool secrets);
    // The address remarks of every listed camera, by record.
    static QHash<int, AddressReview::Remark> addressRemarks(CameraNetwork &network);
    // A line on standard error for each camera sharing an address, answering from one
    // of this computer's own addresses or outside its adapter's subnet.
    static void warnAddresses(CommandContext &context);
    // A camera named for messages: "MAC (host)".
    static QString cameraName(CameraNetwork &network, const QString &mac);
    static QString oneLine(QString text);
    // Text from a camera made safe to print: every control character (C0, DEL and C1,
    // which terminals act on) and the backslash as \xNN, so a name cannot fake a line, a
    // column or a terminal command, and every backslash printed starts an escape.
    static QString escaped(const QString &text);
    // A batch runner with the context's intervals, whose status line the console shows
    // and which Ctrl-C, SIGTERM and SIGHUP stop.
    static void prepare(BatchRunner &runner, CommandContext &context);
};
