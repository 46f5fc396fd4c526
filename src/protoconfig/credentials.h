#pragma once

#include "base/check_failure.h"

#include <QByteArrayView>
#include <QString>

#include <array>
#include <optional>

class Messenger;
struct FtpConnectionSetting;
struct TConfigItem;

inline constexpr int kCredentialBlockSize = 22;
inline constexpr int kMaxPasswordBytes = 16;
inline constexpr int kMaxAdminIdChars = 7;
using CredentialBlock = std::array<quint8, kCredentialBlockSize>;

// The scrambled 22-byte password block. key is the local address as InetAddr returns it
// (first octet in the top byte); r is the block's random word. Nothing when text is
// longer than 16 bytes: the block has no room for more, and cutting a password would
// send one the user never typed.
std::optional<CredentialBlock> ScrambleCredential(QByteArrayView text, quint32 key, quint16 r);
// The same with r drawn from the program's generator, reseeded for every block.
std::optional<CredentialBlock> ScrambleCredential(QByteArrayView text, quint32 key);

// What a camera recovers from a block: the random word, the key and the 16 padded bytes.
struct UnscrambledCredential {
    quint16 random = 0;
    quint32 key = 0;
    QByteArray padded;    // 16 bytes
    QByteArray text() const;   // up to the first zero byte
};
UnscrambledCredential UnscrambleCredential(const CredentialBlock &block);

// What the user typed into the login dialog.
struct LoginEntry {
    QString id;
    QString password;
    QString portText;      // only meaningful when FTP settings were shown
    bool passive = true;
};

// The login dialog as RequireCredentials sees it; the window implements it with
// TLoginDlg, tests and the command-line tool script it.
class CredentialPrompt
{
public:
    virtual ~CredentialPrompt() = default;
    // Shows the dialog modally with the FTP settings (or none) attached; nothing when the
    // user cancelled. An entry returned here has passed the dialog's own checks.
    virtual std::optional<LoginEntry> askCredentials(const FtpConnectionSetting *ftp) = 0;
    // Which camera the next question is for ("host (MAC) at address"), so that the user
    // knows whose password to type.
    virtual void setCameraName(const QString &name) { m_cameraName = name; }
    const QString &cameraName() const { return m_cameraName; }
    // The words RequireCredentials names a camera with.
    static QString nameOf(const TConfigItem &camera);

private:
    QString m_cameraName;
};

// True when the camera has both credentials or the user entered them now (they are then
// stored in the record). With ftp given the dialog also edits those settings; a port that
// is not a number is reported through messenger and ends the call with false, the ID and
// password already stored.
bool RequireCredentials(TConfigItem &camera, CredentialPrompt &prompt,
                        FtpConnectionSetting *ftp = nullptr, Messenger *messenger = nullptr);
