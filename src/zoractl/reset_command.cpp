#include "zoractl/reset_command.h"

#include "zoractl/change_command.h"

using namespace Qt::StringLiterals;

CommandSyntax ResetCommand::syntax()
{
    return CommandSyntax{u"reset"_s, u"reset MAC [--scope N] --user ID [options]"_s,
            uR"(Resets the camera's settings to their defaults: scope 0 (default) all of
them, 2..10 one settings page.)"_s
                + ChangeCommand::sharedHelp(),
            ChangeCommand::sharedOptions() + QList<OptionSpec>{{u"--scope"_s, 1, 1}}, 1};
}

std::optional<CameraChange> ResetCommand::change(const Arguments &p, QString *error)
{
    CameraChange change(CameraChange::Kind::Reset);
    if (p.has(u"--scope"_s)) {
        bool ok = false;
        const int scope = p.value(u"--scope"_s).toInt(&ok);
        if (!ok || scope < 0 || scope == 1 || scope > 10) {
            *error = u"--scope takes 0 or 2..10"_s;
            return std::nullopt;
        }
        change.setResetScope(quint8(scope));
    }
    return change;
}
