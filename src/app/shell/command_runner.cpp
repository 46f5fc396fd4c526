#include "app/shell/command_runner.h"

#include "app/camera_list.h"
#include "protocol/camera_network.h"
#include "app/string_table.h"
#include "protocol/datagram.h"
#include "protocol/register_camera_session.h"
#include "protoconfig/commands.h"

CommandRunner::CommandRunner(CameraNetwork &network)
    : m_network(network)
    , m_results(network)
    , m_session(network.endpoint(), &m_results)
    , m_confirmation(m_session)
{
}

QString CommandRunner::verdictName(Verdict verdict)
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

CommandRunner::Report CommandRunner::run(int recordIndex, const QByteArray &bytes, int capacity,
                                         bool unicast)
{
    if (recordIndex < 0 || recordIndex >= m_network.registry().recordCount())
        return report(CommandOutcome::NotSent);
    const TConfigItem &camera = m_network.registry().record(recordIndex);
    return report(
        Commands::Submit(camera, recordIndex, unicast, bytes, capacity, m_confirmation));
}

CommandRunner::Report CommandRunner::reportOf(CommandOutcome outcome,
                                              const SaveConfigSession &session)
{
    Report report;
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
