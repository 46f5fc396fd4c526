#pragma once

#include "app/shell/command_runner.h"

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
    ExitInterrupted = 130 // Ctrl-C: the cameras in flight finished, no new ones started
};

inline int ExitOfVerdict(CommandRunner::Verdict verdict)
{
    switch (verdict) {
    case CommandRunner::Verdict::Success:
        return ExitOk;
    case CommandRunner::Verdict::Refused:
        return ExitRefused;
    case CommandRunner::Verdict::AuthFailed:
        return ExitAuth;
    case CommandRunner::Verdict::Mismatch:
        return ExitMismatch;
    case CommandRunner::Verdict::UnknownError:
        return ExitUnknown;
    case CommandRunner::Verdict::NoAnswer:
        return ExitNoAnswer;
    case CommandRunner::Verdict::NotSent:
        break;
    }
    return ExitUsage;
}
