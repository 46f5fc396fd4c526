#pragma once

#include "site/camera_outcome.h"

// zoractl's exit statuses, one a kind of ending a script may want to tell apart. A run on
// one camera ends with that camera's outcome code: the per-camera statuses are those
// codes' numbers.
enum ExitStatus {
    ExitOk = CameraOutcome::Ok,
    ExitError = CameraOutcome::Error,           // camera not found, no answer to registration
    ExitUsage = CameraOutcome::RefusedValue,    // bad arguments, refused values, no credentials
    ExitRefused = CameraOutcome::Refused,       // "FAIL on Appling changes!"
    ExitAuth = CameraOutcome::AuthFailed,       // wrong ID or password
    ExitMismatch = CameraOutcome::Mismatch,     // "Mismatched type found!"
    ExitUnknown = CameraOutcome::Unknown,       // "Unknown Error..."
    ExitNoAnswer = CameraOutcome::NoAnswer,     // ten sends without an answer
    ExitNotBack = CameraOutcome::NotBack,       // the camera did not come back after its restart
    ExitBatch = 9,                              // several cameras: at least one did not succeed
    ExitLocal = CameraOutcome::Local,           // trouble on this computer: port in use, address refused
    ExitInterrupted = CameraOutcome::Stopped    // Ctrl-C: the cameras in flight finished, no new ones
                                                // started; SIGTERM and SIGHUP end the same way, with
                                                // 128 + their number
};
