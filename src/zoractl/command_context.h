#pragma once

#include "base/app_options.h"

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
};
