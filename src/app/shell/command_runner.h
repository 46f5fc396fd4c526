#pragma once

#include "protocol/command_confirmation.h"
#include "app/shell/row_results.h"
#include "protocol/save_config_session.h"
#include "protocol/waiting_confirmation.h"

#include <QByteArray>
#include <QString>

class CameraNetwork;

// Runs one built command to its end without a window: the confirmation's sends and
// resends, the camera's answer worded as the dialog words it, and the result handling
// of the row (a success starts the restart watch, a refusal clears the credentials).
class CommandRunner final
{
public:
    // How a command ended, one value a distinct answer of the camera.
    enum class Verdict { Success, Refused, AuthFailed, Mismatch, UnknownError, NoAnswer,
                         NotSent };

    struct Report {
        Verdict verdict = Verdict::NotSent;
        QString text;          // the dialog's wording of the answer
    };

    explicit CommandRunner(CameraNetwork &network);

    // intervalMs 0 keeps the confirmation's own 2000 ms between sends.
    void setIntervalMs(int ms) { m_confirmation.setIntervalMs(ms); }

    Report run(int recordIndex, const QByteArray &bytes, int capacity, bool unicast);
    // For flows that submit on their own (the reset): the confirmation they send
    // through, and the report of the outcome it gave.
    CommandConfirmation &confirmation() { return m_confirmation; }
    Report report(CommandOutcome outcome) const { return reportOf(outcome, m_session); }
    // The wording of an outcome, with the answer the session received.
    static Report reportOf(CommandOutcome outcome, const SaveConfigSession &session);

    static QString verdictName(Verdict verdict);

private:
    CameraNetwork &m_network;
    RowResults m_results;
    SaveConfigSession m_session;
    WaitingConfirmation m_confirmation;
};
