#pragma once

#include "protoconfig/credentials.h"

#include <QString>

class Messenger;

// The login dialog's behaviour without its widgets: the width and toggle button for the
// FTP group, and the checks of OK in their order.
class LoginForm final
{
public:
    static constexpr int kWidthPlain = 223;
    static constexpr int kWidthFtpHidden = 242;
    static constexpr int kWidthFtpShown = 377;

    enum class Field { None, Id, Password };
    struct Verdict {
        bool accepted = false;
        Field focus = Field::None;
        bool selectAll = false;
    };

    explicit LoginForm(Messenger &messenger);

    void attachFtp(const FtpConnectionSetting *ftp) { m_ftp = ftp; }
    void detachFtp() { m_ftp = nullptr; }
    bool ftpAttached() const { return m_ftp != nullptr; }
    const FtpConnectionSetting *ftp() const { return m_ftp; }

    // The dialog is about to show: width and toggle visibility follow the attachment.
    void show();
    int width() const { return m_width; }
    bool toggleVisible() const { return m_toggleVisible; }
    QString toggleCaption() const { return m_toggleCaption; }
    void toggle();
    QString portText() const;
    bool passive() const;

    // OK pressed: the first failing check shows its message and says which field takes
    // the focus.
    Verdict submit(const QString &id, const QString &password);

private:
    Messenger &m_messenger;
    const FtpConnectionSetting *m_ftp = nullptr;
    int m_width = kWidthPlain;
    bool m_toggleVisible = false;
    QString m_toggleCaption = QStringLiteral("<<");
};
