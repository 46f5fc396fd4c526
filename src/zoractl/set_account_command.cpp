#include "zoractl/set_account_command.h"

#include "site/script_credentials.h"
#include "zoractl/change_command.h"

using namespace Qt::StringLiterals;

CommandSyntax SetAccountCommand::syntax()
{
    return CommandSyntax{u"set-account"_s,
            u"set-account MAC [--guest on|off] [--new-password-file F] --user ID [options]"_s,
            uR"(Allows or forbids the guest account, and changes the administrator password
to the text of F (4..16 characters).)"_s
                + ChangeCommand::sharedHelp(),
            ChangeCommand::sharedOptions()
                + QList<OptionSpec>{{u"--guest"_s, 1, 1}, {u"--new-password-file"_s, 1, 1}},
            1};
}

std::optional<CameraChange> SetAccountCommand::change(const Arguments &p, QString *error)
{
    CameraChange change(CameraChange::Kind::Account);
    std::optional<bool> guest;
    if (p.has(u"--guest"_s)) {
        const QString g = p.value(u"--guest"_s).toLower();
        if (g != u"on"_s && g != u"off"_s) {
            *error = u"--guest takes on or off"_s;
            return std::nullopt;
        }
        guest = g == u"on"_s;
    }
    std::optional<QString> newPassword;
    if (p.has(u"--new-password-file"_s)) {
        newPassword = ScriptCredentials::readSecretFile(p.value(u"--new-password-file"_s), error);
        if (!newPassword)
            return std::nullopt;
    }
    if (!guest && !newPassword) {
        *error = u"set-account needs --guest or --new-password-file"_s;
        return std::nullopt;
    }
    change.setAccount(guest, newPassword);
    return change;
}
