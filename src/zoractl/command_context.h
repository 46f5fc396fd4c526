#pragma once

#include "base/app_options.h"
#include "site/camera_list_format.h"

#include <QList>

class CameraNetwork;
class InterruptWatch;
class Console;

// What every zoractl command works with: the network core, the console and the shared
// options, and the settings a test may shorten.
struct CommandContext {
    CameraNetwork &network;
    Console &console;
    AppOptions options;
    InterruptWatch *interrupts = nullptr;  // Ctrl-C, SIGTERM, SIGHUP; none in tests
    bool stdinIsTerminal = false;          // a password may be typed
    int confirmIntervalMs = 0;             // 0: the confirmation's own 2000 ms
    int clockMs = 0;                       // 0: the 500 ms presence clock

    // Ctrl-C, SIGTERM or SIGHUP came during this run.
    bool interrupted() const;
    // The exit status of a run those stopped: 128 and the signal's number (130 without
    // one, for a runner stopped otherwise).
    int stoppedStatus() const;
    // False, with the trouble told on the console, when trouble on this computer would
    // make every send fail.
    bool localReady();
    // The cameras of records on standard output, as scan prints them.
    void printCameras(const QList<int> &records, CameraListFormat::Kind kind, bool secrets);
    // The address warnings of the listed cameras on standard error.
    void warnAddresses();
};
