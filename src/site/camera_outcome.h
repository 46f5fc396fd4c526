#pragma once

#include "site/command_report.h"

// zoractl's exit statuses, one a kind of ending a script may want to tell apart.
enum ShellExit {
    ExitOk = 0,
    ExitError = 1,        // camera not found, no answer to registration
    ExitUsage = 2,        // bad arguments, refused values, no credentials
    ExitRefused = 3,      // "FAIL on Appling changes!"
    ExitAuth = 4,         // wrong ID or password
    ExitMismatch = 5,     // "Mismatched type found!"
    ExitUnknown = 6,      // "Unknown Error..."
    ExitNoAnswer = 7,     // ten sends without an answer
    ExitNotBack = 8,      // the camera did not come back (at its address) after its restart
    ExitBatch = 9,        // several cameras: at least one did not succeed
    ExitLocal = 10,       // trouble on this computer: port in use, address refused
    ExitInterrupted = 130 // Ctrl-C: the cameras in flight finished, no new ones started;
                          // SIGTERM and SIGHUP end the same way, with 128 + their number
};

inline int ExitOfVerdict(CommandReport::Verdict verdict)
{
    switch (verdict) {
    case CommandReport::Verdict::Success:
        return ExitOk;
    case CommandReport::Verdict::Refused:
        return ExitRefused;
    case CommandReport::Verdict::AuthFailed:
        return ExitAuth;
    case CommandReport::Verdict::Mismatch:
        return ExitMismatch;
    case CommandReport::Verdict::UnknownError:
        return ExitUnknown;
    case CommandReport::Verdict::NoAnswer:
        return ExitNoAnswer;
    case CommandReport::Verdict::NotSent:
        break;
    }
    return ExitUsage;
}
