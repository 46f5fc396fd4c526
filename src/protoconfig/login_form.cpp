#include "protoconfig/login_form.h"

#include "base/messenger.h"
#include "base/string_table.h"
#include "protocol/ftp_connection_setting.h"

LoginForm::LoginForm(Messenger &messenger)
    : m_messenger(messenger)
{
}

void LoginForm::show()
{
    m_toggleVisible = m_ftp != nullptr;
    m_width = m_ftp ? kWidthFtpShown : kWidthPlain;
}

void LoginForm::toggle()
{
    if (m_toggleCaption == QLatin1String("<<")) {
        m_toggleCaption = QStringLiteral(">>");
        m_width = kWidthFtpHidden;
    } else {
        m_toggleCaption = QStringLiteral("<<");
        m_width = kWidthFtpShown;
    }
}

QString LoginForm::portText() const
{
    return m_ftp ? QString::number(m_ftp->port) : QString();
}

bool LoginForm::passive() const
{
    return m_ftp ? m_ftp->passive : true;
}

LoginForm::Verdict LoginForm::submit(const QString &id, const QString &password)
{
    if (password.isEmpty()) {
        m_messenger.tell(GetString(3186, QStringLiteral("Password is EMPTY")));
        return {false, Field::Password, false};
    }
    if (password.size() > kMaxPasswordBytes) {
        m_messenger.tell(GetString(3189, QStringLiteral("Password is Too long..."))
                         + QStringLiteral("\n\n")
                         + GetString(3198, QStringLiteral("Maximum 16 characters")));
        return {false, Field::Password, true};
    }
    if (id.isEmpty()) {
        m_messenger.tell(GetString(3297, QStringLiteral("ID is EMPTY")));
        return {false, Field::Id, true};
    }
    if (id.size() > kMaxAdminIdChars) {
        m_messenger.tell(GetString(3298, QStringLiteral("ID MUST be Shorter than 7")));
        return {false, Field::Id, true};
    }
    return {true, Field::None, false};
}
