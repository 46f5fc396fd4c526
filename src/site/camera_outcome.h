#pragma once

#include "site/command_report.h"

// How one camera's run ended, as a number a script can tell apart: what BatchResult::status
// holds and a report's "status" column shows. zoractl ends a run on one camera with that
// camera's number, so a script reads the same code whichever way it asked.
namespace CameraOutcome {

enum Code {
    Ok = 0,
    Error = 1,         // not found, address in doubt, skipped
    RefusedValue = 2,  // a value the camera's own checks refuse: nothing was sent
    Refused = 3,       // "FAIL on Appling changes!"
    AuthFailed = 4,    // wrong ID or password
    Mismatch = 5,      // "Mismatched type found!"
    Unknown = 6,       // "Unknown Error..."
    NoAnswer = 7,      // ten sends without an answer
    NotBack = 8,       // the camera did not come back (at its address) after its restart
    Local = 10,        // trouble on this computer: a port in use, a file not written
    Stopped = 130      // the run was stopped before this camera's turn; zoractl gives the
                       // signal's 128 + number instead (143 for SIGTERM, ...)
};

inline int ofVerdict(CommandReport::Verdict verdict)
{
    switch (verdict) {
    case CommandReport::Verdict::Success:
        return Ok;
    case CommandReport::Verdict::Refused:
        return Refused;
    case CommandReport::Verdict::AuthFailed:
        return AuthFailed;
    case CommandReport::Verdict::Mismatch:
        return Mismatch;
    case CommandReport::Verdict::UnknownError:
        return Unknown;
    case CommandReport::Verdict::NoAnswer:
        return NoAnswer;
    case CommandReport::Verdict::NotSent:
        break;
    }
    return RefusedValue;
}

} // namespace CameraOutcome
