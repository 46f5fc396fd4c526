#include "site/script_credentials.h"

#include "base/input_file.h"
#include "base/messenger.h"
#include "protoconfig/login_form.h"

#include <QFile>

#include <cstdio>
#include <iostream>
#include <string>

#include <termios.h>
#include <unistd.h>

namespace {

constexpr qint64 kMaxSecretFile = 4096;

// Keeps the text of the first message the login checks show.
class FirstMessage final : public Messenger
{
public:
    int show(const QString &text, const QString &, Style) override
    {
        if (m_text.isEmpty())
            m_text = text;
        return AnswerOk;
    }
    QString m_text;
};

} // namespace

std::optional<QString> ScriptCredentials::readSecretFile(const QString &path, QString *error)
{
    // Passwords are a few characters: a device that never ends (/dev/zero) or a file
    // named by mistake is refused after one byte more than the bound, never read whole.
    QString why;
    std::optional<QByteArray> read = InputFile::read(path, kMaxSecretFile, &why);
    if (!read) {
        if (error)
            *error = why.startsWith(QLatin1String("cannot read")) ? why
                                                                   : why + QStringLiteral("; it should hold only the password");
        return std::nullopt;
    }
    QByteArray bytes = *read;
    if (bytes.endsWith('\n')) {
        bytes.chop(1);
        if (bytes.endsWith('\r'))
            bytes.chop(1);
    }
    return QString::fromUtf8(bytes);
}

std::optional<QString> ScriptCredentials::secret(const QString &file, const QString &variable,
                                                 QString *error)
{
    if (!file.isEmpty())
        return readSecretFile(file, error);
    if (!variable.isEmpty() && qEnvironmentVariableIsSet(qPrintable(variable)))
        return qEnvironmentVariable(qPrintable(variable));
    return QString();
}

bool ScriptCredentials::stdinIsTerminal()
{
    return ::isatty(STDIN_FILENO) == 1;
}

std::optional<QString> ScriptCredentials::askHiddenOnTerminal(const QString &prompt)
{
    std::fprintf(stderr, "%s", qPrintable(prompt));
    std::fflush(stderr);
    termios old{};
    const bool haveTerm = ::tcgetattr(STDIN_FILENO, &old) == 0;
    if (haveTerm) {
        termios quiet = old;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string line;
    const bool got = bool(std::getline(std::cin, line));
    if (haveTerm)
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &old);
    std::fprintf(stderr, "\n");
    if (!got)
        return std::nullopt;
    return QString::fromLocal8Bit(line);
}

std::optional<LoginEntry> ScriptCredentials::resolve(const Sources &s, QString *error)
{
    QString why;
    std::optional<QString> password = secret(s.passwordFile, s.environmentVariable, &why);
    if (!password) {
        if (error)
            *error = why;
        return std::nullopt;
    }
    const bool given = !s.passwordFile.isEmpty()
                       || (!s.environmentVariable.isEmpty()
                           && qEnvironmentVariableIsSet(qPrintable(s.environmentVariable)));
    if (!given) {
        if (!s.interactive || !s.askHidden) {
            if (error)
                *error = QStringLiteral("no password: give --password-file FILE or set %1 "
                                        "(a password is never taken from the command line)")
                             .arg(s.environmentVariable);
            return std::nullopt;
        }
        password = s.askHidden(QStringLiteral("Password for %1: ").arg(s.user));
        if (!password) {
            if (error)
                *error = QStringLiteral("no password entered");
            return std::nullopt;
        }
    }
    FirstMessage messages;
    LoginForm form(messages);
    form.show();
    if (!form.submit(s.user, *password).accepted) {
        if (error)
            *error = messages.m_text;
        return std::nullopt;
    }
    LoginEntry entry;
    entry.id = s.user;
    entry.password = *password;
    return entry;
}

ScriptCredentials::ScriptCredentials(LoginEntry entry)
    : m_entry(std::move(entry))
{
}

std::optional<LoginEntry> ScriptCredentials::askCredentials(const FtpConnectionSetting *ftp)
{
    Q_UNUSED(ftp);
    return m_entry;
}
