#include "app/shell/command_runner.h"

#include "app/camera_list.h"
#include "app/shell/admin_tool_core.h"
#include "app/string_table.h"
#include "protocol/datagram.h"
#include "protocol/register_camera_session.h"
#include "protoconfig/commands.h"

CommandRunner::CommandRunner(AdminToolCore &core)
    : m_core(core)
    , m_session(core.endpoint(), this)
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
    if (recordIndex < 0 || recordIndex >= m_core.registry().recordCount())
        return report(CommandOutcome::NotSent);
    const TConfigItem &camera = m_core.registry().record(recordIndex);
    return report(
        Commands::Submit(camera, recordIndex, unicast, bytes, capacity, m_confirmation));
}

CommandRunner::Report CommandRunner::report(CommandOutcome outcome) const
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
        report.verdict = m_session.replyType() == Zora::ReplyFailed     ? Verdict::Refused
                         : m_session.replyType() == Zora::ReplyMismatch ? Verdict::Mismatch
                                                                        : Verdict::UnknownError;
        break;
    case CommandOutcome::NoAnswer:
        report.verdict = Verdict::NoAnswer;
        report.text = m_session.lastSendError().isEmpty() ? RegisterCameraSession::noResponseText()
                                                          : m_session.lastSendError();
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
    report.text = m_session.errorText();
    return report;
}

void CommandRunner::ZORASetSuccess(int recordIndex)
{
    CameraList &list = m_core.list();
    const int row = list.rowOfRecord(recordIndex);
    if (row >= 0 && list.icon(row) == CameraList::Present)
        m_core.discovery().startCountdown(row, CameraList::Restarting);
}

void CommandRunner::ZORAAuthFail(int recordIndex)
{
    if (recordIndex < 0 || recordIndex >= m_core.registry().recordCount())
        return;
    TConfigItem &camera = m_core.registry().record(recordIndex);
    camera.AdminId.clear();
    camera.AdminPassword.clear();
}
