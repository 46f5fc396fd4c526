#include "site/command_dump.h"

#include "protocol/datagram.h"
#include "protoconfig/credentials.h"

#include <QList>

#include <utility>

namespace {

constexpr int kAdminBlock = 24;      // after the ID at 16..23
constexpr int kNewPasswordBlock = 47; // the account command, after the guest byte

// [from, to) of each part that carries a password, in order.
QList<std::pair<qsizetype, qsizetype>> secretParts(const QByteArray &c)
{
    QList<std::pair<qsizetype, qsizetype>> parts;
    if (c.size() < Zora::kPrefixSize)
        return {{qMin<qsizetype>(kAdminBlock, c.size()), c.size()}};
    parts.append({kAdminBlock, kAdminBlock + kCredentialBlockSize});
    const quint8 code = quint8(c.at(7)) & quint8(~Zora::RemoteFlag);
    if (code == Zora::CmdAccount && c.size() >= kNewPasswordBlock + kCredentialBlockSize) {
        parts.append({kNewPasswordBlock, kNewPasswordBlock + kCredentialBlockSize});
    } else if (code == Zora::CmdNetwork && quint8(c.at(15)) == Zora::NetPppoe) {
        // User, then the password, each a length byte and its bytes, in clear.
        const qsizetype user = c.size() > Zora::kPrefixSize ? quint8(c.at(Zora::kPrefixSize)) : 0;
        const qsizetype password = qMin(c.size(), Zora::kPrefixSize + 1 + user);
        const qsizetype length = password < c.size() ? quint8(c.at(password)) : 0;
        parts.append({password, qMin(c.size(), password + 1 + length)});
    }
    return parts;
}

} // namespace

QString CommandDump::text(const QByteArray &command)
{
    QStringList out;
    qsizetype at = 0;
    for (const auto &[from, to] : secretParts(command)) {
        if (from > at)
            out << QString::fromLatin1(command.mid(at, from - at).toHex(' '));
        out << QStringLiteral("<credentials>");
        at = to;
    }
    if (at < command.size())
        out << QString::fromLatin1(command.mid(at).toHex(' '));
    return out.join(QLatin1Char(' '));
}
