#include "protoconfig/credentials.h"

#include "base/messenger.h"
#include "protocol/config_item.h"
#include "protocol/program_random.h"

#include <algorithm>

std::optional<CredentialBlock> ScrambleCredential(QByteArrayView text, quint32 key, quint16 r)
{
    if (text.size() > kMaxPasswordBytes)
        return std::nullopt;
    CredentialBlock b{};
    b[0] = quint8(r & 0xFF);
    b[1] = quint8(r >> 8);
    // key bytes in memory (network) order: first octet first
    b[2] = quint8(key >> 24);
    b[3] = quint8(key >> 16);
    b[4] = quint8(key >> 8);
    b[5] = quint8(key);
    std::copy(text.begin(), text.end(), b.begin() + 6);
    for (int i = 2; i < kCredentialBlockSize; ++i)
        b[i] ^= b[0];
    std::reverse(b.begin(), b.end());
    return b;
}

std::optional<CredentialBlock> ScrambleCredential(QByteArrayView text, quint32 key)
{
    if (text.size() > kMaxPasswordBytes)
        return std::nullopt;
    return ScrambleCredential(text, key, ProgramRandom::shared().credentialValue());
}

QByteArray UnscrambledCredential::text() const
{
    const qsizetype end = padded.indexOf('\0');
    return end < 0 ? padded : padded.first(end);
}

UnscrambledCredential UnscrambleCredential(const CredentialBlock &block)
{
    CredentialBlock b = block;
    std::reverse(b.begin(), b.end());
    for (int i = 2; i < kCredentialBlockSize; ++i)
        b[i] ^= b[0];
    UnscrambledCredential u;
    u.random = quint16(b[0] | (b[1] << 8));
    u.key = (quint32(b[2]) << 24) | (quint32(b[3]) << 16) | (quint32(b[4]) << 8) | b[5];
    u.padded = QByteArray(reinterpret_cast<const char *>(b.data()) + 6, kMaxPasswordBytes);
    return u;
}

QString CredentialPrompt::nameOf(const TConfigItem &camera)
{
    const QString host = camera.hostNameText();
    const QString mac = camera.macText();
    QString name = host.isEmpty() ? mac : mac.isEmpty() ? host : host + QStringLiteral(" (") + mac + QLatin1Char(')');
    if (!camera.Address.isEmpty())
        name += (name.isEmpty() ? QString() : QStringLiteral(" at ")) + camera.Address;
    return name;
}

bool RequireCredentials(TConfigItem &camera, CredentialPrompt &prompt, FtpConnectionSetting *ftp,
                        Messenger *messenger)
{
    if (!camera.AdminId.isEmpty() && !camera.AdminPassword.isEmpty())
        return true;
    prompt.setCameraName(CredentialPrompt::nameOf(camera));
    const std::optional<LoginEntry> entry = prompt.askCredentials(ftp);
    if (!entry)
        return false;
    camera.AdminId = entry->id;
    camera.AdminPassword = entry->password;
    if (ftp) {
        bool ok = false;
        const int port = entry->portText.trimmed().toInt(&ok);
        if (!ok) {
            if (messenger)
                messenger->tell(ConversionErrorText(entry->portText), {}, Messenger::Style::Error);
            return false;
        }
        ftp->port = port;
        ftp->passive = entry->passive;
    }
    return true;
}
