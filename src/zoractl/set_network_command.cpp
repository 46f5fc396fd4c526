#include "zoractl/set_network_command.h"

#include "site/script_credentials.h"
#include "zoractl/change_command.h"
#include "zoractl/option_values.h"

using namespace Qt::StringLiterals;

CommandSyntax SetNetworkCommand::syntax()
{
    return CommandSyntax{u"set-network"_s,
            u"set-network MAC (--dhcp | --static IP MASK GATEWAY [DNS] | "
            u"--pppoe USER SERVICE MTU [--dns ADDR]) --user ID [options]"_s,
            uR"(Changes the network type and settings of the camera.
  --dhcp                      the camera takes its address from a DHCP server
  --static IP MASK GATEWAY [DNS]
  --pppoe USER SERVICE MTU    PPPoE; the password from --pppoe-password-file FILE or
                              $ZORA_PPPOE_PASSWORD (else the camera's current one)
  --pppoe-password-file FILE  the PPPoE password, the file's text without a final line
                              break
  --dns ADDR                  PPPoE with this DNS server (without it: automatic DNS))"_s
                + ChangeCommand::sharedHelp(),
            ChangeCommand::sharedOptions()
                + QList<OptionSpec>{{u"--dhcp"_s, 0, 0},
                                    {u"--static"_s, 3, 4},
                                    {u"--pppoe"_s, 3, 3},
                                    {u"--dns"_s, 1, 1},
                                    {u"--pppoe-password-file"_s, 1, 1}},
            1};
}

std::optional<CameraChange> SetNetworkCommand::change(const Arguments &p, QString *error)
{
    CameraChange change(CameraChange::Kind::Network);
    const int kinds = int(p.has(u"--dhcp"_s)) + int(p.has(u"--static"_s)) + int(p.has(u"--pppoe"_s));
    if (kinds == 0) {
        *error = u"set-network needs one of --dhcp, --static or --pppoe"_s;
        return std::nullopt;
    }
    if (kinds > 1) {
        *error = u"only one network type may be given: --dhcp, --static or --pppoe"_s;
        return std::nullopt;
    }
    if (p.has(u"--dns"_s) && !p.has(u"--pppoe"_s)) {
        *error = u"--dns belongs to --pppoe (give a static DNS after the gateway)"_s;
        return std::nullopt;
    }
    if (p.has(u"--dhcp"_s)) {
        change.setDhcp();
    } else if (p.has(u"--static"_s)) {
        const QStringList v = p.values(u"--static"_s);
        static const char *const names[] = {"IP", "MASK", "GATEWAY", "DNS"};
        for (int i = 0; i < v.size(); ++i) {
            if (!OptionValues::isDottedIPv4(v.at(i))) {
                *error = u"--static: %1 %2 is not an IPv4 address"_s.arg(QLatin1String(names[i]), v.at(i));
                return std::nullopt;
            }
        }
        change.setStatic(v.at(0), v.at(1), v.at(2),
                         v.size() > 3 ? std::optional<QString>(v.at(3)) : std::nullopt);
    } else {
        const QStringList v = p.values(u"--pppoe"_s);
        if (p.has(u"--dns"_s) && !OptionValues::isDottedIPv4(p.value(u"--dns"_s))) {
            *error = u"--dns: %1 is not an IPv4 address"_s.arg(p.value(u"--dns"_s));
            return std::nullopt;
        }
        std::optional<QString> password;
        const QString file = p.value(u"--pppoe-password-file"_s);
        if (!file.isEmpty()) {
            password = ScriptCredentials::readSecretFile(file, error);
            if (!password)
                return std::nullopt;
        } else if (qEnvironmentVariableIsSet("ZORA_PPPOE_PASSWORD")) {
            password = qEnvironmentVariable("ZORA_PPPOE_PASSWORD");
        }
        change.setPppoe(v.at(0), v.at(1), v.at(2), password, p.optional(u"--dns"_s));
    }
    return change;
}
