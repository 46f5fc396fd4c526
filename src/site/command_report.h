#pragma once

#include "protocol/command_confirmation.h"

#include <QString>

class SaveConfigSession;

// How a command ended for a script: one verdict a distinct answer of the camera, worded
// as the confirmation dialog words it.
struct CommandReport {
    enum class Verdict { Success, Refused, AuthFailed, Mismatch, UnknownError, NoAnswer,
                         NotSent };

    Verdict verdict = Verdict::NotSent;
    QString text;

    // The outcome with the answer the session received.
    static CommandReport of(CommandOutcome outcome, const SaveConfigSession &session);
    static QString verdictName(Verdict verdict);
};
