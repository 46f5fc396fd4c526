#include "site/command_report.h"

#include "base/string_table.h"
#include "protocol/datagram.h"
#include "protocol/register_camera_session.h"
#include "protocol/save_config_session.h"

QString CommandReport::verdictName(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Success:
        return QStringLiteral("success");
    case Verdict::Refused:
        return QStringLiteral("refused");
    case Verdict::AuthFailed:
        return QStringLiteral("authentication failed");
    case Verdict::Mismatch:
        return QStringLiteral("mismatch");
    case Verdict::UnknownError:
        return QStringLiteral("unknown error");
    case Verdict::NoAnswer:
        return QStringLiteral("no answer");
    case Verdict::NotSent:
        break;
    }
    return QStringLiteral("not sent");
}

CommandReport CommandReport::of(CommandOutcome outcome, const SaveConfigSession &session)
{
    CommandReport report;
    switch (outcome) {
    case CommandOutcome::Success:
        report.verdict = Verdict::Success;
        report.text = GetString(3173, QStringLiteral("Camera is now under SYSTEM REBOOT"));
        return report;
    case CommandOutcome::AuthFailure:
        report.verdict = Verdict::AuthFailed;
        break;
    case CommandOutcome::Failed:
        report.verdict = session.replyType() == Zora::ReplyFailed     ? Verdict::Refused
                         : session.replyType() == Zora::ReplyMismatch ? Verdict::Mismatch
                                                                        : Verdict::UnknownError;
        break;
    case CommandOutcome::NoAnswer:
        report.verdict = Verdict::NoAnswer;
        report.text = session.lastSendError().isEmpty() ? RegisterCameraSession::noResponseText()
                                                          : session.lastSendError();
        return report;
    case CommandOutcome::Cancelled:
        // The camera answered with something that is not a command result; nothing says
        // the change was made.
        report.verdict = Verdict::UnknownError;
        report.text = GetString(3283, QStringLiteral("Unknown Error... Try later..."));
        return report;
    case CommandOutcome::NotSent:
        report.text = QStringLiteral("nothing was sent");
        return report;
    }
    report.text = session.errorText();
    return report;
}
