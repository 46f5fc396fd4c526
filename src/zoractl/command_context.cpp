#include "zoractl/command_context.h"

#include "site/camera_locator.h"
#include "zoractl/console.h"
#include "zoractl/exit_status.h"
#include "zoractl/interrupt_watch.h"

bool CommandContext::interrupted() const
{
    return interrupts && interrupts->interrupted();
}

int CommandContext::stoppedStatus() const
{
    return interrupted() ? InterruptWatch::exitStatusOf(interrupts->signalNumber()) : int(ExitInterrupted);
}

bool CommandContext::localReady()
{
    const QString trouble = CameraLocator::localTrouble(network);
    if (!trouble.isEmpty())
        console.err(trouble);
    return trouble.isEmpty();
}

void CommandContext::printCameras(const QList<int> &records, CameraListFormat::Kind kind, bool secrets)
{
    // Text writes nothing for no camera; the other two an empty array or the header.
    if (kind != CameraListFormat::Kind::Text || !records.isEmpty())
        console.outRaw(CameraListFormat::of(network, records, kind, secrets));
}

void CommandContext::warnAddresses()
{
    for (const QString &line : CameraListFormat::addressWarnings(network))
        console.err(line);
}
