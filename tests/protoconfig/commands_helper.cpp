#include "commands_helper.h"

#include "test_support.h"

TConfigItem TestCamera(quint8 flags, Connection connectionKind)
{
    TConfigItem c;
    QByteArray h = TestSupport::fromHex("5A 4F 52 41 02 40 00 05 01 00 0A 1B 2C 3D 4E 81");
    h.append(char(flags));
    c.Header = h;
    c.Address = QStringLiteral("127.0.0.9");
    c.AdminId = QStringLiteral("admin");
    c.AdminPassword = QStringLiteral("pass");
    c.ConnectionKind = connectionKind;
    return c;
}

CommandSources PinnedSources()
{
    CommandSources s;
    s.localAddress = [] { return QStringLiteral("192.168.0.10"); };
    s.randomValue = [] { return quint16(0x1234); };
    return s;
}

QByteArray PassBlock()
{
    return TestSupport::fromHex("34 34 34 34 34 34 34 34 34 34 34 34 47 47 55 44 3E 34 9C F4 12 34");
}

std::optional<LoginEntry> ScriptedPrompt::askCredentials(const FtpConnectionSetting *ftp)
{
    ++calls;
    lastHadFtp = ftp != nullptr;
    return answers.isEmpty() ? std::nullopt : answers.takeFirst();
}

CommandOutcome RecordingConfirmation::confirm(const ConfirmRequest &request)
{
    requests.append(request);
    return answer;
}
