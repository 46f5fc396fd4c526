#include "zoractl/set_hostname_command.h"

#include "zoractl/change_command.h"

using namespace Qt::StringLiterals;

CommandSyntax SetHostnameCommand::syntax()
{
    return CommandSyntax{u"set-hostname"_s, u"set-hostname MAC NAME [--domain D] --user ID [options]"_s,
            uR"(Changes the camera's host name (and domain name, when it has one).)"_s
                + ChangeCommand::sharedHelp(),
            ChangeCommand::sharedOptions() + QList<OptionSpec>{{u"--domain"_s, 1, 1}}, 2};
}

std::optional<CameraChange> SetHostnameCommand::change(const Arguments &p, QString *error)
{
    Q_UNUSED(error);
    CameraChange change(CameraChange::Kind::Host);
    change.setHost(p.positional().last(), p.optional(u"--domain"_s));
    return change;
}
